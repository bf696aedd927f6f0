#pragma once

#include <QString>

// The "Instruction" section of a game's system information, header included:
// every instruction of the engine with the defaults games give them.
inline QString InstructionTable() {
    return QStringLiteral(
        "[Instruction]\r\n"
        "go\t*\r\ncall\t*\r\nreturn\r\nlet\t*\t*\r\nnop\r\n"
        "put\t*\r\npt\r\ntextwindow\r\ntextnovel\r\nts\r\nth\r\nwnd\t%\r\nsite\t*\r\n"
        "bg\t*\t%\t%\r\nbgfill\t0\r\nbglc\t%\t%\t%\r\nbgmv\t0\t0\t%\r\n"
        "cg\t*\t%\t%\t-1\t-1\r\ncgh\t%\r\ncglc\t*\t%\t%\t%\r\ncgmv\t*\t0\t0\t%\r\n"
        "cglcas\t*\t%\t%\t0\r\ncgmvas\t*\t0\t0\t0\r\ncga\t*\t%\t0\r\ncgaas\t*\t%\t0\r\n"
        "cgbc\t0\r\ncgf\t*\t-1\t-1\r\ncghfas\t*\t0\r\ncgvfas\t*\t0\r\ncgactclear\t*\r\n"
        "cgactadd\t*\t-1\t-1\t-1\t-1\t-1\r\ncgactstart\t*\r\ncgactend\t*\r\n"
        "cgactcomplete\t*\r\nfc\t%\r\n"
        "dd\r\nddb\t*\r\nddw\t*\r\nda\r\ndaa\t*\r\ndam\t*\t*\r\nwto\t*\r\nbto\t*\r\n"
        "mto\t*\t*\t*\r\n"
        "wait\r\nwaitcv\r\nwaitauto\t*\r\npause\t*\r\npauseabs\t*\r\n"
        "bgm\t*\t%\r\nbgmvolumerate\t%\r\nse\t*\r\nsel\t*\t0\r\nstopcv\r\nplaymovie\t*\t0\r\n"
        "item\t*\t*\r\nselect\r\ner\t*\t*\t*\t*\t%\t%\r\nercg\t*\t%\t%\r\nselecter\r\n"
        "stop\r\nalarm\t%\r\nrestarttitle\r\nrestartreplaymode\r\nplayending\t*\t*\t*\t%\r\n");
}
