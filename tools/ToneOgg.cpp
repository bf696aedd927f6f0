// Writes a sine tone as Ogg Vorbis, with the encoder the sound tests use.
// The sound fuzz seed was made with it:
//   g++ -std=c++20 -fPIC -Itests tools/ToneOgg.cpp -o /tmp/tone-ogg \
//       $(pkg-config --cflags --libs Qt6Core libavformat libavcodec libavutil)
//   /tmp/tone-ogg fuzz/corpus/sound/tone.ogg 250 22050
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "DovTestMedia.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tone-ogg OUT MS [RATE [CHANNELS]]\n");
        return 2;
    }
    const int ms = std::atoi(argv[2]);
    const int rate = argc > 3 ? std::atoi(argv[3]) : 44100;
    const int channels = argc > 4 ? std::atoi(argv[4]) : 1;
    const QByteArray ogg = dovtest::toneOgg(ms, rate, channels);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (ogg.isEmpty() || !out.open(QIODevice::WriteOnly) || out.write(ogg) != ogg.size()) {
        std::fprintf(stderr, "tone-ogg: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
