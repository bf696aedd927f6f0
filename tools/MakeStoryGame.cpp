// Writes every picture, sound and the movie of the test game tests/games/story
// (its documents and scenarios are written by hand). Same output on every run.
// Built outside the project's build, like tools/ToneOgg.cpp:
//   g++ -std=c++20 -O2 -fPIC -Itests tools/MakeStoryGame.cpp -o /tmp/make-story-game \
//       $(pkg-config --cflags --libs Qt6Gui Qt6Core libavformat libavcodec libavutil)
//   /tmp/make-story-game tests/games/story
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "DovTestMedia.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

// ---------------------------------------------------------------------------
// A 5 x 7 pixel font for the labels, so that no system font is needed.

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

const std::map<char, std::array<std::uint8_t, kGlyphHeight>>& glyphs() {
    static const std::map<char, std::array<std::uint8_t, kGlyphHeight>> font{
        {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
        {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
        {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
        {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
        {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
        {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
        {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
        {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
        {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
        {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
        {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
        {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
        {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
        {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
        {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
        {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
        {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
        {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
        {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
        {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}},
        {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
        {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
        {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
        {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
        {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
        {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    };
    return font;
}

int labelWidth(const char* text, int scale) {
    const int count = static_cast<int>(std::strlen(text));
    return count == 0 ? 0 : (count * (kGlyphWidth + 1) - 1) * scale;
}

void drawLabel(QPainter& painter, const char* text, QPoint topLeft, int scale, QColor colour) {
    int x = topLeft.x();
    for (const char* c = text; *c != '\0'; ++c, x += (kGlyphWidth + 1) * scale) {
        const auto glyph = glyphs().find(*c);
        if (glyph == glyphs().end()) {
            continue;  // a blank
        }
        for (int row = 0; row < kGlyphHeight; ++row) {
            for (int column = 0; column < kGlyphWidth; ++column) {
                if ((glyph->second[row] >> (kGlyphWidth - 1 - column) & 1) != 0) {
                    painter.fillRect(x + column * scale, topLeft.y() + row * scale, scale, scale,
                                     colour);
                }
            }
        }
    }
}

// The label centred in the rectangle.
void drawCentredLabel(QPainter& painter, const char* text, QRect box, int scale, QColor colour) {
    const QPoint topLeft(box.x() + (box.width() - labelWidth(text, scale)) / 2,
                         box.y() + (box.height() - kGlyphHeight * scale) / 2);
    drawLabel(painter, text, topLeft, scale, colour);
}

// ---------------------------------------------------------------------------
// Pictures

QImage transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Window parts and faces are loaded with their alpha channel as the mask; an
// opaque one is written out, so that no fully opaque mask has to be made up.
QImage opaque(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// A room: beige wall, brown floor, a window on the left, a door on the right.
QImage roomBackground() {
    QImage image = filled(kScreenWidth, kScreenHeight, QColor(225, 205, 170));
    QPainter painter(&image);
    painter.fillRect(0, 330, kScreenWidth, 150, QColor(150, 100, 60));
    painter.fillRect(0, 322, kScreenWidth, 8, QColor(90, 60, 40));
    painter.fillRect(70, 70, 220, 150, QColor(150, 200, 240));
    painter.setPen(QPen(Qt::white, 8));
    painter.drawRect(70, 70, 220, 150);
    painter.drawLine(180, 70, 180, 220);
    painter.drawLine(70, 145, 290, 145);
    painter.fillRect(470, 110, 110, 212, QColor(120, 70, 40));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 200, 60));
    painter.drawEllipse(QPoint(560, 220), 8, 8);
    return image;
}

// A park: blue sky, green grass, a yellow sun on the right, a tree on the left.
QImage parkBackground() {
    QImage image = filled(kScreenWidth, kScreenHeight, QColor(110, 170, 235));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(0, 300, kScreenWidth, 180, QColor(80, 160, 70));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 230, 90));
    painter.drawEllipse(QPoint(520, 80), 40, 40);
    painter.fillRect(120, 170, 30, 150, QColor(100, 70, 40));
    painter.setBrush(QColor(40, 120, 50));
    painter.drawEllipse(QPoint(135, 150), 75, 70);
    return image;
}

// A standing figure 160 x 360: head, dress and a band of colour.
void drawFigure(QPainter& painter, int left, QColor body, QColor band) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 220, 190));
    painter.drawEllipse(QRect(left + 45, 10, 70, 80));
    QPainterPath dress;
    dress.moveTo(left + 80, 90);
    dress.lineTo(left + 150, 360);
    dress.lineTo(left + 10, 360);
    dress.closeSubpath();
    painter.setBrush(body);
    painter.drawPath(dress);
    painter.fillRect(left + 30, 200, 100, 24, band);
}

QImage figure(QColor body, QColor band) {
    QImage image = transparent(160, 360);
    QPainter painter(&image);
    drawFigure(painter, 0, body, band);
    return image;
}

// Four cells side by side: a green figure waving, its band changing colour.
QImage wavingFigure() {
    const std::array<QColor, 4> bands{Qt::white, Qt::yellow, Qt::cyan, Qt::magenta};
    QImage image = transparent(160 * 4, 360);
    QPainter painter(&image);
    for (int cell = 0; cell < 4; ++cell) {
        const int left = cell * 160;
        drawFigure(painter, left, QColor(60, 160, 90), bands[cell]);
        painter.setBrush(QColor(250, 220, 190));
        painter.drawEllipse(QPoint(left + 140, 150 - cell * 25), 12, 12);
    }
    return image;
}

QImage face() {
    QImage image = opaque(96, 96, QColor(60, 60, 90));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 220, 190));
    painter.drawEllipse(QRect(14, 10, 68, 80));
    painter.setBrush(QColor(200, 60, 60));
    painter.drawChord(QRect(10, 2, 76, 50), 0, 180 * 16);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawEllipse(QRect(32, 44, 8, 10));
    painter.drawEllipse(QRect(56, 44, 8, 10));
    return image;
}

QImage windowFrame() {
    QImage image = transparent(624, 140);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(230, 230, 255), 3));
    painter.drawRoundedRect(QRect(2, 2, 619, 135), 10, 10);
    return image;
}

// Cell rows of the given height, one label each; row 0 may stay empty.
QImage labelRows(int width, int rowHeight, const std::vector<std::pair<const char*, QColor>>& rows,
                 int scale) {
    QImage image = transparent(width, rowHeight * static_cast<int>(rows.size()));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const auto& [text, colour] = rows[row];
        if (*text == '\0') {
            continue;
        }
        const QRect box(0, row * rowHeight, width, rowHeight);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 6, 6);
        drawCentredLabel(painter, text, box, scale, Qt::white);
    }
    return image;
}

// Row 0 empty, row 1 Aki's plate, row 2 Mio's.
QImage namePlate() {
    return labelRows(
        140, 32,
        {{"", Qt::transparent}, {"AKI", QColor(200, 60, 60)}, {"MIO", QColor(60, 90, 200)}}, 2);
}

// Row 0 empty (normal play), row 1 skip mode, row 2 auto mode.
QImage stateIndicator() {
    return labelRows(
        64, 20,
        {{"", Qt::transparent}, {"SKIP", QColor(40, 150, 60)}, {"AUTO", QColor(220, 120, 30)}}, 1);
}

// Four 16 x 16 cells side by side, each a triangle of another shade.
QImage cursor() {
    QImage image = transparent(64, 16);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    for (int cell = 0; cell < 4; ++cell) {
        painter.setBrush(QColor(255, 255, 80 + cell * 50));
        const QPolygon triangle{QPoint(cell * 16 + 2, 3), QPoint(cell * 16 + 14, 3),
                                QPoint(cell * 16 + 8, 13)};
        painter.drawPolygon(triangle);
    }
    return image;
}

// Rows: normal, under the pointer, pressed.
QImage choiceFrame() {
    const std::array<std::pair<QColor, QColor>, 3> rows{{
        {QColor(30, 40, 90), QColor(200, 210, 255)},
        {QColor(70, 90, 170), QColor(255, 230, 90)},
        {QColor(200, 160, 40), Qt::white},
    }};
    QImage image = transparent(400, 36 * 3);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 3; ++row) {
        painter.setPen(QPen(rows[row].second, 2));
        painter.setBrush(rows[row].first);
        painter.drawRoundedRect(QRect(1, row * 36 + 1, 398, 34), 8, 8);
    }
    return image;
}

// A button of two rows: normal (dark blue) and under the pointer (yellow).
QImage button(int width, int rowHeight, const char* label) {
    QImage image = transparent(width, rowHeight * 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::array<std::array<QColor, 3>, 2> rows{{
        {QColor(40, 50, 110), QColor(150, 170, 230), Qt::white},
        {QColor(250, 210, 80), Qt::white, QColor(30, 30, 60)},
    }};
    for (int row = 0; row < 2; ++row) {
        const QRect box(0, row * rowHeight, width, rowHeight);
        painter.setPen(QPen(rows[row][1], 1));
        painter.setBrush(rows[row][0]);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4, 4);
        drawCentredLabel(painter, label, box, 1, rows[row][2]);
    }
    return image;
}

// Two rows of a loudspeaker: white on dark (voice there), dark on yellow (playing).
QImage voiceButton() {
    QImage image = transparent(32, 64);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::array<std::pair<QColor, QColor>, 2> rows{{
        {QColor(40, 50, 110), Qt::white},
        {QColor(250, 210, 80), QColor(30, 30, 60)},
    }};
    for (int row = 0; row < 2; ++row) {
        const int top = row * 32;
        painter.setPen(Qt::NoPen);
        painter.setBrush(rows[row].first);
        painter.drawEllipse(QRect(1, top + 1, 30, 30));
        painter.setBrush(rows[row].second);
        painter.drawRect(8, top + 12, 5, 8);
        painter.drawPolygon(QPolygon{QPoint(13, top + 12), QPoint(20, top + 6),
                                     QPoint(20, top + 26), QPoint(13, top + 20)});
        painter.setPen(QPen(rows[row].second, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRect(18, top + 10, 8, 12), -60 * 16, 120 * 16);
    }
    return image;
}

// The back-log view: dark screen with four lighter block panels and a button column.
QImage logBack() {
    QImage image = opaque(kScreenWidth, kScreenHeight, QColor(15, 20, 40));
    QPainter painter(&image);
    for (int block = 0; block < 4; ++block) {
        painter.fillRect(24, 16 + block * 112, 552, 104, QColor(35, 45, 80));
    }
    painter.fillRect(584, 16, 48, 448, QColor(25, 30, 60));
    return image;
}

struct Picture {
    const char* name;
    QImage image;
};

std::vector<Picture> pictures() {
    return {
        {"bg_room", roomBackground()},
        {"bg_park", parkBackground()},
        {"st_aki_1", figure(QColor(200, 60, 60), Qt::white)},
        {"st_mio_1", figure(QColor(60, 90, 200), Qt::yellow)},
        {"st_ren_1", wavingFigure()},
        {"face_aki", face()},
        {"wnd_back", opaque(640, 150, QColor(20, 20, 60))},
        {"wnd_frame", windowFrame()},
        {"wnd_nameplate", namePlate()},
        {"wnd_state", stateIndicator()},
        {"wnd_cursor", cursor()},
        {"novel_back", opaque(kScreenWidth, kScreenHeight, Qt::black)},
        {"choice_frame", choiceFrame()},
        {"btn_log", button(60, 18, "LOG")},
        {"btn_save", button(60, 18, "SAVE")},
        {"btn_load", button(60, 18, "LOAD")},
        {"btn_auto", button(60, 18, "AUTO")},
        {"btn_skip", button(60, 18, "SKIP")},
        {"log_back", logBack()},
        {"log_voice", voiceButton()},
        {"log_pageup", button(40, 20, "PGUP")},
        {"log_rollup", button(40, 20, "UP")},
        {"log_rolldown", button(40, 20, "DOWN")},
        {"log_pagedown", button(40, 20, "PGDN")},
        {"log_return", button(40, 20, "BACK")},
    };
}

// ---------------------------------------------------------------------------
// Pictures of the slot screen (saveload_mode.ini)

// Cell rows of one button: fill, border and label colour of each row.
using ButtonRow = std::array<QColor, 3>;

QImage buttonRows(int width, int rowHeight, const char* label, const std::vector<ButtonRow>& rows) {
    QImage image = transparent(width, rowHeight * static_cast<int>(rows.size()));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const QRect box(0, row * rowHeight, width, rowHeight);
        painter.setPen(QPen(rows[row][1], 1));
        painter.setBrush(rows[row][0]);
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 4, 4);
        drawCentredLabel(painter, label, box, 1, rows[row][2]);
    }
    return image;
}

// Rows: normal, under the pointer, pressed, not available (grey).
QImage slotButton(const char* label) {
    return buttonRows(80, 24, label,
                      {{QColor(40, 50, 110), QColor(150, 170, 230), Qt::white},
                       {QColor(250, 210, 80), Qt::white, QColor(30, 30, 60)},
                       {QColor(200, 110, 40), Qt::white, Qt::white},
                       {QColor(70, 70, 80), QColor(110, 110, 120), QColor(130, 130, 140)}});
}

// Rows: normal, just clicked, the page on show.
QImage pageButton(const char* label) {
    return buttonRows(56, 24, label,
                      {{QColor(40, 50, 110), QColor(150, 170, 230), Qt::white},
                       {QColor(250, 210, 80), Qt::white, QColor(30, 30, 60)},
                       {QColor(200, 60, 60), Qt::white, Qt::white}});
}

// Rows: normal, under the pointer, pressed.
QImage returnButton() {
    return buttonRows(80, 24, "BACK",
                      {{QColor(40, 50, 110), QColor(150, 170, 230), Qt::white},
                       {QColor(250, 210, 80), Qt::white, QColor(30, 30, 60)},
                       {QColor(200, 110, 40), Qt::white, Qt::white}});
}

// A whole-screen background with a title band at the top and a band for the
// page buttons at the bottom.
QImage slotScreenBackground(QColor body, QColor band, const char* title) {
    QImage image = opaque(kScreenWidth, kScreenHeight, body);
    QPainter painter(&image);
    painter.fillRect(0, 0, kScreenWidth, 44, band);
    painter.fillRect(0, 44, kScreenWidth, 2, band.lighter(150));
    painter.fillRect(0, 422, kScreenWidth, 46, band);
    drawCentredLabel(painter, title, QRect(0, 0, kScreenWidth, 44), 3, Qt::white);
    return image;
}

// The slot's frame, 300 x 104, two rows (normal, under the pointer), with a
// window at 8,16 of 96 x 72 through which the thumbnail below shows.
QImage slotFrame() {
    constexpr int kRow = 104;
    const std::array<std::pair<QColor, QColor>, 2> rows{{
        {QColor(36, 46, 96), QColor(150, 170, 230)},
        {QColor(56, 70, 140), QColor(250, 210, 80)},
    }};
    QImage image = transparent(300, kRow * 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 2; ++row) {
        const int top = row * kRow;
        painter.setPen(QPen(rows[row].second, 2));
        painter.setBrush(rows[row].first);
        painter.drawRoundedRect(QRect(1, top + 1, 298, kRow - 2), 8, 8);
        painter.setPen(Qt::NoPen);
        painter.setBrush(rows[row].second);
        painter.drawRect(6, top + 14, 100, 76);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.drawRect(8, top + 16, 96, 72);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    return image;
}

std::vector<Picture> saveLoadPictures() {
    return {
        {"sl_overlay", slotScreenBackground(QColor(12, 18, 44), QColor(36, 48, 100), "SAVE LOAD")},
        {"sl_back", slotScreenBackground(QColor(18, 44, 36), QColor(40, 90, 70), "LOAD")},
        {"sl_slot", slotFrame()},
        {"sl_save", slotButton("SAVE")},
        {"sl_load", slotButton("LOAD")},
        {"sl_return", returnButton()},
        {"sl_page1", pageButton("I")},
        {"sl_page2", pageButton("II")},
        {"sl_page3", pageButton("III")},
    };
}

// ---------------------------------------------------------------------------
// Sounds

struct Tone {
    const char* name;
    int ms;
    double hz;
};

// Distinct lengths and pitches, so that a trace or a recording tells them apart.
constexpr std::array<Tone, 9> kTones{{
    {"bgm_main", 4000, 220.0},  // music, loops
    {"se_door", 500, 880.0},    // effect
    {"se_chime", 300, 1175.0},  // effect of the scenario button's pointer label
    {"sel_rain", 1500, 150.0},  // looping effect
    {"se_click", 80, 1320.0},   // ClickSE
    {"se_point", 50, 990.0},    // PointSE
    {"aki001", 1500, 523.0},    // voices: the first three letters name the character
    {"mio001", 2000, 659.0},
    {"aki002", 1000, 587.0},
}};

constexpr int kToneRate = 22050;

// CRC-32 of Ogg pages: polynomial 0x04C11DB7, most significant bit first, no inversion.
quint32 oggCrc(const char* data, qsizetype size) {
    quint32 crc = 0;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= static_cast<quint32>(static_cast<quint8>(data[i])) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000U) != 0 ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
        }
    }
    return crc;
}

void putLittleEndian(QByteArray& bytes, qsizetype at, quint32 value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// FFmpeg's Ogg muxer picks a random stream serial number; a fixed one, with the
// page checksums recomputed, gives the same file on every run. "" when the
// bytes are not a sequence of Ogg pages.
QByteArray withFixedSerial(QByteArray ogg, quint32 serial) {
    constexpr qsizetype kHeaderSize = 27;
    qsizetype page = 0;
    while (page < ogg.size()) {
        if (page + kHeaderSize > ogg.size() || !ogg.mid(page, 4).startsWith("OggS")) {
            return QByteArray();
        }
        const int segments = static_cast<quint8>(ogg[page + 26]);
        qsizetype size = kHeaderSize + segments;
        for (int i = 0; i < segments && page + kHeaderSize + i < ogg.size(); ++i) {
            size += static_cast<quint8>(ogg[page + kHeaderSize + i]);
        }
        if (page + size > ogg.size()) {
            return QByteArray();
        }
        putLittleEndian(ogg, page + 14, serial);
        putLittleEndian(ogg, page + 22, 0);
        putLittleEndian(ogg, page + 22, oggCrc(ogg.constData() + page, size));
        page += size;
    }
    return ogg;
}

// ---------------------------------------------------------------------------
// Output

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool fail(const QString& what) {
    std::fprintf(stderr, "make-story-game: cannot write %s\n", qPrintable(what));
    return false;
}

// Writes each picture as image/NAME.png.
bool savePictures(const QDir& game, const std::vector<Picture>& list) {
    const QString folder = game.filePath(QStringLiteral("image"));
    QDir().mkpath(folder);
    for (const Picture& picture : list) {
        const QString path =
            folder + QLatin1Char('/') + QLatin1String(picture.name) + QStringLiteral(".png");
        if (!picture.image.save(path, "PNG")) {
            return fail(path);
        }
    }
    return true;
}

bool writePictures(const QDir& game) {
    return savePictures(game, pictures());
}

bool writeSaveLoadPictures(const QDir& game) {
    return savePictures(game, saveLoadPictures());
}

bool writeSounds(const QDir& game) {
    const QString folder = game.filePath(QStringLiteral("sound"));
    QDir().mkpath(folder);
    quint32 serial = 1;
    for (const Tone& tone : kTones) {
        const QString path =
            folder + QLatin1Char('/') + QLatin1String(tone.name) + QStringLiteral(".ogg");
        const QByteArray ogg =
            withFixedSerial(dovtest::toneOgg(tone.ms, kToneRate, 1, tone.hz), serial++);
        if (ogg.isEmpty() || !writeFile(path, ogg)) {
            return fail(path);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Title mode: the logo, the title screen, five menu buttons and their sounds

// The studio logo over the whole screen: an emblem and the studio's name.
QImage titleLogo() {
    QImage image = opaque(kScreenWidth, kScreenHeight, QColor(20, 30, 60));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(250, 210, 80), 6));
    painter.setBrush(QColor(40, 60, 120));
    painter.drawEllipse(QPoint(kScreenWidth / 2, 190), 60, 60);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 210, 80));
    painter.drawPolygon(QPolygon{QPoint(296, 160), QPoint(350, 190), QPoint(296, 220)});
    drawCentredLabel(painter, "TEST STUDIO", QRect(0, 280, kScreenWidth, 60), 5, Qt::white);
    return image;
}

// Night sky with a moon and stars, the game's name at the top and a hill on the left.
QImage titleBackground() {
    QImage image = filled(kScreenWidth, kScreenHeight, Qt::black);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, kScreenHeight);
    sky.setColorAt(0.0, QColor(15, 20, 60));
    sky.setColorAt(1.0, QColor(90, 50, 110));
    painter.fillRect(image.rect(), sky);
    // Stars from a fixed sequence, so that every run draws the same sky.
    quint32 seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245U + 12345U;
        return static_cast<int>((seed >> 16) % static_cast<quint32>(range));
    };
    for (int star = 0; star < 60; ++star) {
        const int size = 1 + next(2);
        painter.fillRect(next(kScreenWidth), next(300), size, size, QColor(255, 255, 220));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 240, 200));
    painter.drawEllipse(QPoint(575, 180), 28, 28);
    painter.setBrush(QColor(30, 40, 50));
    painter.drawEllipse(QPoint(120, 560), 330, 200);
    drawCentredLabel(painter, "AKI AND MIO", QRect(4, 64, kScreenWidth, 80), 7, QColor(0, 0, 0));
    drawCentredLabel(painter, "AKI AND MIO", QRect(0, 60, kScreenWidth, 80), 7,
                     QColor(255, 235, 150));
    drawCentredLabel(painter, "A TEST NOVEL", QRect(0, 140, kScreenWidth, 30), 2, Qt::white);
    return image;
}

// A menu button of three 160 x 36 rows: normal, under the pointer, pressed.
QImage titleButton(const char* label) {
    constexpr int kWidth = 160;
    constexpr int kRow = 36;
    const std::array<std::array<QColor, 3>, 3> rows{{
        {QColor(30, 40, 100, 220), QColor(150, 170, 230), Qt::white},
        {QColor(250, 210, 80), Qt::white, QColor(30, 30, 60)},
        {QColor(200, 120, 30), QColor(120, 60, 10), Qt::white},
    }};
    QImage image = transparent(kWidth, kRow * 3);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int row = 0; row < 3; ++row) {
        const QRect box(0, row * kRow, kWidth, kRow);
        painter.setPen(QPen(rows[row][1], 2));
        painter.setBrush(rows[row][0]);
        painter.drawRoundedRect(box.adjusted(2, 2, -2, -2), 8, 8);
        // The pressed row's label sits one pixel lower, as if pushed in.
        drawCentredLabel(painter, label, box.translated(0, row == 2 ? 1 : 0), 2, rows[row][2]);
    }
    return image;
}

bool writeTitlePictures(const QDir& game) {
    const std::vector<Picture> title{
        {"ttl_logo", titleLogo()},
        {"ttl_back", titleBackground()},
        {"ttl_start", titleButton("NEW GAME")},
        {"ttl_qload", titleButton("CONTINUE")},
        {"ttl_load", titleButton("LOAD")},
        {"ttl_omake", titleButton("BONUS")},
        {"ttl_exit", titleButton("END")},
    };
    return savePictures(game, title);
}

// The logo's sound and the title music; serial numbers apart from the game's sounds.
bool writeTitleSounds(const QDir& game) {
    constexpr std::array<Tone, 2> kTitleTones{{
        {"se_logo", 800, 784.0},     // with the logo
        {"bgm_title", 3000, 262.0},  // title music, loops
    }};
    const QString folder = game.filePath(QStringLiteral("sound"));
    QDir().mkpath(folder);
    quint32 serial = 101;
    for (const Tone& tone : kTitleTones) {
        const QString path =
            folder + QLatin1Char('/') + QLatin1String(tone.name) + QStringLiteral(".ogg");
        const QByteArray ogg =
            withFixedSerial(dovtest::toneOgg(tone.ms, kToneRate, 1, tone.hz), serial++);
        if (ogg.isEmpty() || !writeFile(path, ogg)) {
            return fail(path);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Ending roll: its background, the credits and the effect picture

constexpr int kCreditsHeight = 1200;
constexpr int kEffectWidth = 96;
constexpr int kEffectCells = 4;
const QColor kEndingNight(15, 20, 45);

// A plain night blue with a thin frame, so that the scrolling pictures stand out.
QImage endingBackground() {
    QImage image = filled(kScreenWidth, kScreenHeight, kEndingNight);
    QPainter painter(&image);
    painter.setPen(QPen(QColor(60, 70, 120), 4));
    painter.drawRect(10, 10, kScreenWidth - 20, kScreenHeight - 20);
    return image;
}

// The credits, 640 x 1200, transparent between the lines: a heading in gold
// and its name in white, block after block, with a closing line at the bottom.
QImage endingCredits() {
    struct Block {
        const char* heading;
        const char* name;
    };
    constexpr std::array<Block, 6> kBlocks{{
        {"SCENARIO", "AKI"},
        {"PICTURES", "MIO"},
        {"MUSIC", "REN"},
        {"SOUND", "TEST STUDIO"},
        {"PROGRAM", "VARO"},
        {"TESTING", "EVERYONE"},
    }};
    QImage image = transparent(kScreenWidth, kCreditsHeight);
    QPainter painter(&image);
    const QColor gold(250, 210, 80);
    drawCentredLabel(painter, "STAFF", QRect(0, 40, kScreenWidth, 60), 6, gold);
    int top = 180;
    for (const Block& block : kBlocks) {
        drawCentredLabel(painter, block.heading, QRect(0, top, kScreenWidth, 30), 3, gold);
        drawCentredLabel(painter, block.name, QRect(0, top + 40, kScreenWidth, 40), 4, Qt::white);
        top += 150;
    }
    drawCentredLabel(painter, "THANK YOU FOR PLAYING", QRect(0, 1100, kScreenWidth, 60), 4,
                     Qt::white);
    return image;
}

// Four cells of 96 x 240 (half the screen high), one above the other, each a
// star of its own colour on the night blue; each pass of the roll shows the next.
QImage endingEffect() {
    constexpr int kCellHeight = kScreenHeight / 2;
    const std::array<QColor, kEffectCells> colours{QColor(250, 210, 80), QColor(120, 200, 250),
                                                   QColor(250, 120, 160), QColor(150, 240, 130)};
    QImage image = opaque(kEffectWidth, kCellHeight * kEffectCells, kEndingNight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int cell = 0; cell < kEffectCells; ++cell) {
        const QPointF centre(kEffectWidth / 2.0, kCellHeight * cell + kCellHeight / 2.0);
        QPolygonF star;
        for (int point = 0; point < 10; ++point) {
            const double radius = point % 2 == 0 ? 40.0 : 16.0;
            const double angle = (point * 36.0 - 90.0) * 3.14159265358979 / 180.0;
            star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        }
        painter.setBrush(colours[static_cast<size_t>(cell)]);
        painter.drawPolygon(star);
    }
    return image;
}

bool writeEndingPictures(const QDir& game) {
    const std::vector<Picture> ending{
        {"end_back", endingBackground()},
        {"end_credits", endingCredits()},
        {"end_effect", endingEffect()},
    };
    return savePictures(game, ending);
}

// Extras screen: background, sub-mode, page, return and music buttons (rows:
// normal, marked), panels (rows: normal, marked), the two CG pictures and the
// completion counters.

QImage extrasBackground() {
    QImage image = opaque(kScreenWidth, kScreenHeight, QColor(24, 36, 48));
    QPainter painter(&image);
    painter.fillRect(0, 0, kScreenWidth, 56, QColor(50, 70, 90));
    painter.fillRect(0, 424, kScreenWidth, 56, QColor(50, 70, 90));
    drawLabel(painter, "EXTRAS", QPoint(400, 18), 3, QColor(220, 230, 240));
    return image;
}

// A panel of 200 x 150: the picture's colours with a frame, twice; the second
// row has a yellow frame (marked).
QImage extrasPanel(QColor sky, QColor ground, const char* label) {
    QImage image = transparent(200, 300);
    QPainter painter(&image);
    for (int row = 0; row < 2; ++row) {
        const int top = row * 150;
        painter.fillRect(0, top, 200, 100, sky);
        painter.fillRect(0, top + 100, 200, 50, ground);
        painter.setPen(QPen(row == 0 ? QColor(200, 200, 200) : QColor(250, 210, 80), 4));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(2, top + 2, 196, 146));
        drawCentredLabel(painter, label, QRect(0, top + 110, 200, 30), 2, Qt::white);
    }
    return image;
}

QImage cgPicture(QColor sky, QColor ground, QColor sun) {
    QImage image = opaque(kScreenWidth, kScreenHeight, sky);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(sun);
    painter.drawEllipse(QPoint(460, 250), 60, 60);
    painter.fillRect(0, 300, kScreenWidth, 180, ground);
    return image;
}

QImage percentCounter(const char* digits) {
    QImage image = transparent(64, 24);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(10, 10, 20));
    drawCentredLabel(painter, digits, image.rect(), 2, QColor(250, 210, 80));
    return image;
}

std::vector<Picture> extrasPictures() {
    return {
        {"omk_back", extrasBackground()},
        {"omk_cg", button(96, 24, "CG")},
        {"omk_rep", button(96, 24, "SCENE")},
        {"omk_snd", button(96, 24, "MUSIC")},
        {"omk_ret", button(96, 24, "RETURN")},
        {"omk_page1", button(40, 24, "1")},
        {"omk_page2", button(40, 24, "2")},
        {"omk_sback", button(64, 24, "BACK")},
        {"omk_splay", button(64, 24, "PLAY")},
        {"omk_sstop", button(64, 24, "STOP")},
        {"omk_snext", button(64, 24, "NEXT")},
        {"omk_single", button(64, 24, "ONE")},
        {"omk_all", button(64, 24, "ALL")},
        {"omk_random", button(64, 24, "RAND")},
        {"omk_null", extrasPanel(QColor(60, 60, 60), QColor(40, 40, 40), "LOCKED")},
        {"omk_thumb_sunset", extrasPanel(QColor(240, 140, 60), QColor(90, 60, 40), "SUNSET")},
        {"omk_thumb_night", extrasPanel(QColor(20, 20, 70), QColor(20, 50, 30), "NIGHT")},
        {"omk_trk1", extrasPanel(QColor(60, 90, 160), QColor(30, 50, 90), "TRACK 1")},
        {"omk_trk2", extrasPanel(QColor(60, 140, 90), QColor(30, 80, 50), "TRACK 2")},
        {"omk_trk3", extrasPanel(QColor(140, 60, 120), QColor(80, 30, 70), "TRACK 3")},
        {"cg_sunset", cgPicture(QColor(240, 140, 60), QColor(90, 60, 40), QColor(255, 220, 120))},
        {"cg_night", cgPicture(QColor(20, 20, 70), QColor(20, 50, 30), QColor(230, 230, 200))},
        {"omk_pct_000", percentCounter("0")},
        {"omk_pct_050", percentCounter("50")},
        {"omk_pct_100", percentCounter("100")},
    };
}

bool writeExtrasPictures(const QDir& game) {
    return savePictures(game, extrasPictures());
}

// Three short tracks of the music room; serial numbers apart from the others.
bool writeExtrasSounds(const QDir& game) {
    constexpr std::array<Tone, 3> kTracks{{
        {"trk_one", 1000, 330.0},
        {"trk_two", 1200, 392.0},
        {"trk_three", 1400, 494.0},
    }};
    const QString folder = game.filePath(QStringLiteral("sound"));
    QDir().mkpath(folder);
    quint32 serial = 201;
    for (const Tone& tone : kTracks) {
        const QString path =
            folder + QLatin1Char('/') + QLatin1String(tone.name) + QStringLiteral(".ogg");
        const QByteArray ogg =
            withFixedSerial(dovtest::toneOgg(tone.ms, kToneRate, 1, tone.hz), serial++);
        if (ogg.isEmpty() || !writeFile(path, ogg)) {
            return fail(path);
        }
    }
    return true;
}

// Two seconds of 160 x 120 at 10 pictures a second, with a tone.
bool writeMovie(const QDir& game) {
    const QString folder = game.filePath(QStringLiteral("movie"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/op.avi");
    return dovtest::writeMovie(path, 20, 10, 160, 120, 2000) || fail(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-story-game GAME_DIR\n");
        return 2;
    }
    const QDir game(QString::fromLocal8Bit(argv[1]));
    if (!game.exists()) {
        std::fprintf(stderr, "make-story-game: no folder %s\n", argv[1]);
        return 1;
    }
    return writePictures(game) && writeSaveLoadPictures(game) && writeSounds(game) &&
                   writeMovie(game) && writeTitlePictures(game) && writeTitleSounds(game) &&
                   writeEndingPictures(game) && writeExtrasPictures(game) && writeExtrasSounds(game)
               ? 0
               : 1;
}
