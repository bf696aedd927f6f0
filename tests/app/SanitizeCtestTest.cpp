// tools/sanitize-ctest, which runs the sanitizer suite: only a test whose sole
// finding is a leak report wholly inside QtCore (Qt's thread-pool race at exit) may
// run a second time; every other failure fails the suite at once.
#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

const char* const kTool = VARO_SOURCE_DIR "/tools/sanitize-ctest";

const char* const kAllocatorFrame =
    "    #0 0x7f628e2b94c8 in operator new(unsigned long) "
    "../../../../src/libsanitizer/asan/asan_new_delete.cpp:95\n";
const char* const kQtCoreFrame =
    "    #1 0x7f628cdf3481  (/lib/x86_64-linux-gnu/libQt6Core.so.6+0x1f3481)\n";
const char* const kLeakHeader = "Direct leak of 152 byte(s) in 1 object(s) allocated from:\n";

// A LeakSanitizer report of the given leak blocks, inside a failed test's output.
QByteArray LeakReport(const QByteArray& leaks) {
    return "[ RUN      ] SaveRestoreRun.AutoMode\n"
           "../tests/app/EngineRunFixture.h:50: Failure\n"
           "==25014==ERROR: LeakSanitizer: detected memory leaks\n\n" +
           leaks +
           "SUMMARY: AddressSanitizer: 152 byte(s) leaked in 1 allocation(s).\n"
           "[  FAILED  ] SaveRestoreRun.AutoMode (3157 ms)\n";
}

const QByteArray kQtExitRace =
    LeakReport(QByteArray(kLeakHeader) + kAllocatorFrame + kQtCoreFrame + '\n');

const QByteArray kLeakOfOurs = LeakReport(
    QByteArray(kLeakHeader) + kAllocatorFrame + kQtCoreFrame + '\n' + kLeakHeader +
    kAllocatorFrame + "    #1 0x55d0c1a2b3c4 in clsSound::Play() ../src/media/clsSound.cpp:88\n" +
    "    #2 0x7f628cdf3481  (/lib/x86_64-linux-gnu/libQt6Core.so.6+0x1f3481)\n\n");

// A fake test for ctest: it records each run in NAME.runs and fails with the
// output in NAME.out until it has run FAILURES times.
const char* const kFakeTest =
    "echo run >> \"$1.runs\"\n"
    "if [ \"$(wc -l < \"$1.runs\")\" -gt \"$2\" ]; then exit 0; fi\n"
    "cat \"$1.out\"\n"
    "exit 1\n";

struct FakeTest {
    QString name;
    QByteArray output;
    int failures;
};

class SanitizeCtest : public ::testing::Test {
protected:
    // A ctest project of the given fake tests, run through the tool.
    ProgramRun run(const std::vector<FakeTest>& tests) {
        dir_.write(QStringLiteral("fake.sh"), kFakeTest);
        QByteArray project;
        for (const FakeTest& test : tests) {
            dir_.write(test.name + QStringLiteral(".out"), test.output);
            project += "add_test(" + test.name.toUtf8() + " /bin/sh fake.sh " + test.name.toUtf8() +
                       ' ' + QByteArray::number(test.failures) + ")\n";
        }
        dir_.write(QStringLiteral("CTestTestfile.cmake"), project);
        return RunProgram(
            QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"), QStringLiteral("cd \"$0\" && exec \"$@\""), dir_.path(),
             QString::fromUtf8(kTool), QStringLiteral("--output-on-failure")},
            60000);
    }
    int runsOf(const QString& name) const {
        return dir_.read(name + QStringLiteral(".runs")).count('\n');
    }
    bool classifiedAsRace(const QByteArray& output) const {
        dir_.write(QStringLiteral("output.txt"), output);
        const ProgramRun check = RunProgram(
            QString::fromUtf8(kTool),
            {QStringLiteral("--only-qt-exit-race"), dir_.file(QStringLiteral("output.txt"))},
            10000);
        return check.exitCode == 0;
    }

    TempFolder dir_;
};

TEST_F(SanitizeCtest, ATestFailingOnlyOnTheQtExitRaceRunsOnceMoreAndThenPasses) {
    const ProgramRun result =
        run({{QStringLiteral("Race"), kQtExitRace, 1}, {QStringLiteral("Fine"), "ok\n", 0}});
    EXPECT_EQ(result.exitCode, 0) << result.out.toStdString();
    EXPECT_EQ(runsOf(QStringLiteral("Race")), 2);
    EXPECT_EQ(runsOf(QStringLiteral("Fine")), 1);
}

TEST_F(SanitizeCtest, TheSecondRunMustPass) {
    const ProgramRun result = run({{QStringLiteral("Race"), kQtExitRace, 2}});
    EXPECT_NE(result.exitCode, 0) << result.out.toStdString();
    EXPECT_EQ(runsOf(QStringLiteral("Race")), 2);
}

TEST_F(SanitizeCtest, AnyOtherFailureBesideTheRaceFailsTheSuiteWithoutASecondRun) {
    const ProgramRun result =
        run({{QStringLiteral("Race"), kQtExitRace, 1}, {QStringLiteral("Ours"), kLeakOfOurs, 1}});
    EXPECT_NE(result.exitCode, 0) << result.out.toStdString();
    EXPECT_EQ(runsOf(QStringLiteral("Race")), 1);
    EXPECT_EQ(runsOf(QStringLiteral("Ours")), 1);
    EXPECT_TRUE(result.out.contains("Ours failed; not on Qt's thread-pool race at exit"))
        << result.out.toStdString();
}

TEST_F(SanitizeCtest, OnlyAReportWhollyInsideQtCoreCountsAsTheRace) {
    const QByteArray& race = kQtExitRace;
    EXPECT_TRUE(classifiedAsRace(race));
    EXPECT_TRUE(classifiedAsRace(race + race));

    EXPECT_FALSE(classifiedAsRace("[  FAILED  ] TitleRun.QuickLoad (20 ms)\n"));
    EXPECT_FALSE(classifiedAsRace(kLeakOfOurs));
    EXPECT_FALSE(classifiedAsRace(
        race + "../src/data/Value.cpp:40:12: runtime error: signed integer overflow\n"));
    EXPECT_FALSE(classifiedAsRace(
        "==77==ERROR: AddressSanitizer: heap-use-after-free on address 0x602000000010\n" + race));
    EXPECT_FALSE(classifiedAsRace(LeakReport(QByteArray(kLeakHeader) + kAllocatorFrame + '\n')));
}

}  // namespace
