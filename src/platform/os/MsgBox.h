#pragma once

#include <QString>
#include <vector>

// Message-box style bits and answers, with the values games and the engine use.
struct MsgBox {
    // Buttons (low four bits of the style).
    static constexpr int OkOnly = 0;
    static constexpr int OkCancel = 1;
    static constexpr int AbortRetryIgnore = 2;
    static constexpr int YesNoCancel = 3;
    static constexpr int YesNo = 4;
    static constexpr int RetryCancel = 5;
    static constexpr int ButtonMask = 0x0F;
    // Icons.
    static constexpr int Critical = 16;
    static constexpr int Question = 32;
    static constexpr int Exclamation = 48;
    static constexpr int Information = 64;
    static constexpr int IconMask = 0xF0;
    // Default button (the first when neither is set).
    static constexpr int DefaultButton2 = 256;
    static constexpr int DefaultButton3 = 512;
    static constexpr int DefaultMask = 0xF00;
    // Answers.
    static constexpr int IdOk = 1;
    static constexpr int IdCancel = 2;
    static constexpr int IdAbort = 3;
    static constexpr int IdRetry = 4;
    static constexpr int IdIgnore = 5;
    static constexpr int IdYes = 6;
    static constexpr int IdNo = 7;

    // The answers of the style's buttons, left to right. Unknown button codes
    // count as OkOnly.
    static std::vector<int> buttons(int style);
    // The answer of the default button: the second or third when the style asks
    // for one the box has, else the first.
    static int defaultAnswer(int style);
    // "yes", "no", "ok", "cancel", "abort", "retry", "ignore"; "" for other ids.
    static QString word(int answer);
    // The answer a word names, ignoring case; 0 for an unknown word.
    static int answerOf(const QString& word);
};
