#include "platform/dov/SdlAudio.h"

bool SdlAudio::load(QString& error) {
    std::call_once(once_, [this] { loadOnce(); });
    if (!loaded_) {
        error = failure_;
    }
    return loaded_;
}

void SdlAudio::loadOnce() {
    // The runtime's names: libSDL2-2.0.so.0 on Linux, libSDL2-2.0.0.dylib on macOS, SDL2.dll.
    library_.setFileNameAndVersion(QStringLiteral("SDL2-2.0"), 0);
    if (!library_.load()) {
        library_.setFileName(QStringLiteral("SDL2"));
        if (!library_.load()) {
            failure_ = QStringLiteral("SDL2 not available: ") + library_.errorString();
            return;
        }
    }
    loaded_ = resolve(GetHint, "SDL_GetHint") && resolve(SetHint, "SDL_SetHint") &&
              resolve(ResetHint, "SDL_ResetHint") && resolve(InitSubSystem, "SDL_InitSubSystem") &&
              resolve(QuitSubSystem, "SDL_QuitSubSystem") && resolve(GetError, "SDL_GetError") &&
              resolve(OpenAudioDevice, "SDL_OpenAudioDevice") &&
              resolve(PauseAudioDevice, "SDL_PauseAudioDevice") &&
              resolve(CloseAudioDevice, "SDL_CloseAudioDevice") &&
              resolve(GetCurrentAudioDriver, "SDL_GetCurrentAudioDriver") &&
              resolve(TLSCleanup, "SDL_TLSCleanup") && resolve(GetVersion, "SDL_GetVersion");
}

template <typename Function>
bool SdlAudio::resolve(Function& function, const char* name) {
    function = reinterpret_cast<Function>(library_.resolve(name));
    if (function == nullptr) {
        failure_ = library_.fileName() + QStringLiteral(" has no ") + QLatin1String(name);
    }
    return function != nullptr;
}
