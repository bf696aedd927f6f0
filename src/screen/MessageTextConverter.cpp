#include "screen/MessageTextConverter.h"

#include <algorithm>

#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "platform/os/Cp932Codec.h"

#include <array>
#include <utility>

namespace {

// The codes that place or size text: their value is scaled from the script's
// coordinates to the screen's and written with 3 digits.
struct ScaledCodeForm {
    QLatin1String name;
    char16_t letter;
    bool withSign;
    bool horizontal;
};

constexpr std::array<ScaledCodeForm, 7> kScaledCodes{{
    {QLatin1String("size"), u'F', false, true},
    {QLatin1String("width"), u'G', false, true},
    {QLatin1String("height"), u'H', false, false},
    {QLatin1String("xpos"), u'I', true, true},
    {QLatin1String("ypos"), u'J', true, false},
    {QLatin1String("xoffset"), u'K', true, true},
    {QLatin1String("yoffset"), u'L', true, false},
}};

constexpr int kWindowMode = 2;
constexpr int kLogMode = 0;

MessageTextConverter::Environment WithDefaults(MessageTextConverter::Environment env) {
    if (!env.TextSpeedSetting) {
        env.TextSpeedSetting = [](std::int32_t) {};
    }
    if (!env.WindowNameFlip) {
        env.WindowNameFlip = [](std::int32_t) {};
    }
    if (!env.ScreenSize) {
        env.ScreenSize = [] { return QSize(0, 0); };
    }
    if (!env.ScriptScale) {
        env.ScriptScale = [] { return QSize(0, 0); };
    }
    if (!env.ConfigBool) {
        env.ConfigBool = [](const QString&) { return false; };
    }
    if (!env.GetIndexByCID) {
        env.GetIndexByCID = [](const QString&) { return -1; };
    }
    if (!env.CharColor) {
        env.CharColor = [](int) { return std::uint32_t{0xFFFFFF}; };
    }
    if (!env.SystemInfoValue) {
        env.SystemInfoValue = [](const QString&, const QString&) { return QString(); };
    }
    return env;
}

QString Hex(std::int32_t value, int width) {
    return stdHelpers::HexPad(static_cast<std::uint32_t>(value), width);
}

}  // namespace

MessageTextConverter::MessageTextConverter(Environment environment)
    : env_(WithDefaults(std::move(environment))) {}

QString MessageTextConverter::Convert(const QString& message, QString& continuation, bool& wait,
                                      QString& voice, int mode) const {
    continuation.clear();
    voice.clear();
    wait = true;
    Conversion state{QString(), continuation, wait, voice, mode};
    state.output.reserve(message.size());
    qsizetype position = 0;
    TextCode code;
    while (!state.stopped && NextTextCode(message, position, code)) {
        state.output.append(QStringView(message).sliced(position, code.start - position));
        ApplyCode(message, code, state);
        position = code.end;
    }
    if (!state.stopped) {
        state.output.append(QStringView(message).sliced(position));
    }
    return state.output;
}

// A code runs from a backslash over the single-byte characters after it; a "("
// opens the argument, which runs to ")". The next backslash always ends it.
bool MessageTextConverter::NextTextCode(const QString& message, qsizetype from, TextCode& code) {
    const qsizetype start = message.indexOf(u'\\', from);
    if (start < 0) {
        return false;
    }
    const qsizetype size = message.size();
    qsizetype i = start + 1;
    while (i < size && message[i] != u'\\' && message[i] != u'(' && IsSingleByte(message[i])) {
        ++i;
    }
    code.start = start;
    code.name = message.sliced(start + 1, i - start - 1).toLower();
    code.argument.clear();
    if (i < size && message[i] == u'(') {
        const qsizetype open = i;
        while (i < size && message[i] != u')' && message[i] != u'\\') {
            ++i;
        }
        code.argument = message.sliced(open + 1, i - open - 1);
        if (i < size && message[i] == u')') {
            ++i;
        }
    }
    code.end = i;
    return true;
}

bool MessageTextConverter::IsSingleByte(QChar ch) {
    return Cp932Codec::byteLength(ch.unicode()) == 1;
}

void MessageTextConverter::ApplyCode(const QString& message, const TextCode& code,
                                     Conversion& state) const {
    if (ApplyAnyModeCode(code, state)) {
        return;
    }
    if (code.name == u"v") {
        ApplyVoiceCode(code, state);
    } else if (code.name == u"np") {
        ApplyNameplateCode(code, state);
    } else if (state.mode != kLogMode && code.name == u"w") {
        state.continuation = message.sliced(code.start + 2);
        state.stopped = true;
    } else if (state.mode == kWindowMode && code.name == u"c") {
        ApplyCharacterColour(code, state);
    } else if (state.mode != kLogMode) {
        ApplyScaledCode(code, state);
    }
}

bool MessageTextConverter::ApplyAnyModeCode(const TextCode& code, Conversion& state) const {
    if (code.name == u"n") {
        state.output.append(u'\n');
    } else if (code.name == u"nowait") {
        state.wait = false;
    } else if (code.name == u"pause") {
        // A negative pause is no pause, not an unsigned wait of weeks.
        const std::int32_t pause = std::max(0, Configuration::NumberOf(code.argument));
        state.output.append(u'B').append(Hex(pause, 8));
    } else if (code.name == u"speed") {
        env_.TextSpeedSetting(Configuration::NumberOf(code.argument));
    } else if (code.name == u"color") {
        state.output.append(u'D').append(Hex(Configuration::NumberOf(code.argument), 6));
    } else {
        return false;
    }
    return true;
}

void MessageTextConverter::ApplyScaledCode(const TextCode& code, Conversion& state) const {
    for (const ScaledCodeForm& form : kScaledCodes) {
        if (code.name != form.name) {
            continue;
        }
        std::int32_t value = Configuration::NumberOf(code.argument);
        state.output.append(QChar(form.letter));
        if (form.withSign) {
            state.output.append(value >= 0 ? u'+' : u'-');
            // abs in 32 bits: the smallest value stays as it is
            value = static_cast<std::int32_t>(value >= 0 ? static_cast<std::uint32_t>(value)
                                                         : 0u - static_cast<std::uint32_t>(value));
        }
        const QSize screen = env_.ScreenSize();
        const QSize script = env_.ScriptScale();
        const std::int32_t scaled = form.horizontal
                                        ? Scale(value, screen.width(), script.width())
                                        : Scale(value, screen.height(), script.height());
        state.output.append(Hex(scaled, 3));
        return;
    }
}

void MessageTextConverter::ApplyNameplateCode(const TextCode& code, Conversion& state) const {
    const std::int32_t cell = Configuration::NumberOf(code.argument);
    if (state.mode == kWindowMode) {
        env_.WindowNameFlip(cell);
        return;
    }
    state.output.append(env_.SystemInfoValue(QStringLiteral("Nameplate"),
                                             QStringLiteral("Item:") + QString::number(cell)));
    state.output.append(u'\n');
}

void MessageTextConverter::ApplyVoiceCode(const TextCode& code, Conversion& state) const {
    if (state.mode == kLogMode && !state.voice.isEmpty()) {
        state.voice.append(u',').append(code.argument);
    } else {
        state.voice = code.argument;
    }
}

void MessageTextConverter::ApplyCharacterColour(const TextCode& code, Conversion& state) const {
    if (!env_.ConfigBool(QStringLiteral("OriginalTextColor"))) {
        return;
    }
    const QString cid = code.argument.toLower().remove(QLatin1String("cid_"));
    const int entry = env_.GetIndexByCID(cid);
    if (entry != -1) {
        state.output.append(u'D').append(
            stdHelpers::HexPad(static_cast<std::uint32_t>(env_.CharColor(entry)), 6));
    }
}

// value x screen / script with a 32-bit product and truncating division; a
// missing script size leaves the value as it is.
std::int32_t MessageTextConverter::Scale(std::int32_t value, int screen, int script) {
    if (script == 0) {
        return value;
    }
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) *
                                                   static_cast<std::uint32_t>(screen));
    return static_cast<std::int32_t>(static_cast<std::int64_t>(product) / script);
}
