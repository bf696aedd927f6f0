#include "app/clsVaro.h"

#include "media/clsOskaDriver.h"

clsVaro::clsVaro() : mOska(std::make_unique<clsOskaDriver>()) {}

clsVaro::~clsVaro() = default;
