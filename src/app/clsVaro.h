#pragma once

#include <memory>

class clsOskaDriver;

// The engine object: owns the subsystems.
class clsVaro {
public:
    clsVaro();
    ~clsVaro();
    clsVaro(const clsVaro&) = delete;
    clsVaro& operator=(const clsVaro&) = delete;

    clsOskaDriver& Oska() { return *mOska; }

private:
    std::unique_ptr<clsOskaDriver> mOska;
};
