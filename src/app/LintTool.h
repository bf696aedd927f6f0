#pragma once

struct CommandLine;

// `varo lint GAME_DIR`: checks a game for the mistakes an author makes (a
// scenario that does not assemble, a label or a file that is not there, a
// mode document without the keys its screen needs) and prints each finding
// as "FILE:LINE: message".
class LintTool {
public:
    // 0 when nothing was found, 1 when something was, 2 when the game could
    // not be checked.
    static int Run(const CommandLine& command);
};
