#pragma once

#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

// Turns a scenario message with backslash codes ("\n", "\pause(30)", "\v(voice)" ...)
// into the code string a text film reads: plain characters, line feeds and
// single-letter codes with fixed-width upper-case hexadecimal arguments.
class MessageTextConverter {
public:
    // What the conversion needs from the screen driver, the settings and the
    // game's documents. A missing function acts as a no-op, "", false or -1;
    // a missing screen or script size leaves positions and sizes unscaled.
    struct Environment {
        std::function<void(std::int32_t speed)> TextSpeedSetting;
        std::function<void(std::int32_t cell)> WindowNameFlip;
        std::function<QSize()> ScreenSize;   // the game screen in pixels
        std::function<QSize()> ScriptScale;  // the size the scenario was written for
        std::function<bool(const QString& key)> ConfigBool;
        std::function<int(const QString& cid)> GetIndexByCID;
        std::function<std::uint32_t(int entry)> CharColor;
        std::function<QString(const QString& section, const QString& key)> SystemInfoValue;
    };

    explicit MessageTextConverter(Environment environment);

    // Converts one message. mode is the film set in force (2 window, 3 novel) or
    // 0 for the message log. A page break ends the conversion and leaves the rest
    // of the message in continuation; wait turns false at a no-wait code; voice
    // gets the voice name (mode 0: every voice name, comma-separated).
    QString Convert(const QString& message, QString& continuation, bool& wait, QString& voice,
                    int mode) const;

private:
    // One backslash code: message[start, end) with its lower-case name and the
    // argument between the parentheses as written.
    struct TextCode {
        qsizetype start = 0;
        qsizetype end = 0;
        QString name;
        QString argument;
    };

    struct Conversion {
        QString output;
        QString& continuation;
        bool& wait;
        QString& voice;
        int mode;
        bool stopped = false;
    };

    static bool NextTextCode(const QString& message, qsizetype from, TextCode& code);
    static bool IsSingleByte(QChar ch);

    void ApplyCode(const QString& message, const TextCode& code, Conversion& state) const;
    bool ApplyAnyModeCode(const TextCode& code, Conversion& state) const;
    void ApplyScaledCode(const TextCode& code, Conversion& state) const;
    void ApplyNameplateCode(const TextCode& code, Conversion& state) const;
    void ApplyVoiceCode(const TextCode& code, Conversion& state) const;
    void ApplyCharacterColour(const TextCode& code, Conversion& state) const;

    static std::int32_t Scale(std::int32_t value, int screen, int script);

    Environment env_;
};
