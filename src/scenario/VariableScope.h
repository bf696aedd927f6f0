#pragma once

class INISection;

// Where value expressions find their names: the constants of the system
// information, the game variables of the current save data and the shared
// variables. Any of them may be missing (null).
class VariableScope {
public:
    virtual ~VariableScope() = default;
    virtual const INISection* Constants() const = 0;
    virtual INISection* GameVariables() = 0;
    virtual INISection* SharedVariables() = 0;
};
