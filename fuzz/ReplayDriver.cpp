// Runs a fuzz target without libFuzzer: every seed file under the given folder,
// then a fixed number of deterministic random inputs and mutations of the seeds.
#include <QDirIterator>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<QByteArray> readSeeds(const QString& folder) {
    std::vector<QByteArray> seeds;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly)) {
            seeds.push_back(file.readAll());
        }
    }
    seeds.push_back(QByteArray());
    return seeds;
}

QByteArray mutate(QByteArray input, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 16);
    for (int e = 0; e < edits; ++e) {
        const auto pos = input.isEmpty() ? 0 : static_cast<qsizetype>(rng() % input.size());
        switch (rng() % 4) {
            case 0:
                input.insert(pos, static_cast<char>(rng()));
                break;
            case 1:
                if (!input.isEmpty())
                    input[pos] = static_cast<char>(rng());
                break;
            case 2:
                if (!input.isEmpty())
                    input.remove(pos, 1 + static_cast<qsizetype>(rng() % 8));
                break;
            default:
                input.insert(pos, input.mid(pos, static_cast<qsizetype>(rng() % 64)));
                break;
        }
    }
    return input;
}

void run(const QByteArray& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                           static_cast<std::size_t>(input.size()));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::vector<QByteArray> seeds =
        readSeeds(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    for (const QByteArray& seed : seeds) {
        run(seed);
    }
    std::mt19937 rng(12345);
    for (int i = 0; i < rounds; ++i) {
        if (i % 4 == 0) {
            QByteArray random(static_cast<qsizetype>(rng() % 512), '\0');
            for (char& c : random) c = static_cast<char>(rng());
            run(random);
        } else {
            run(mutate(seeds[rng() % seeds.size()], rng));
        }
    }
    std::printf("%d inputs ran without a crash\n", rounds + static_cast<int>(seeds.size()));
    return 0;
}
