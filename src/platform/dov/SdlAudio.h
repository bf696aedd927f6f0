#pragma once

#include <SDL.h>

#include <QLibrary>
#include <QString>
#include <mutex>

// SDL2's audio functions, loaded the first time sound output opens instead of
// when the program starts: SDL2 and the thirty libraries it pulls in would
// otherwise be loaded before the window can show. Loading is safe from any
// thread and happens once; the library stays loaded for the process.
class SdlAudio {
public:
    SdlAudio() = default;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // True once the functions below can be called; false with the reason when
    // SDL2 is missing or lacks one of them.
    bool load(QString& error);

    decltype(&::SDL_GetHint) GetHint = nullptr;
    decltype(&::SDL_SetHint) SetHint = nullptr;
    decltype(&::SDL_ResetHint) ResetHint = nullptr;
    decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&::SDL_GetError) GetError = nullptr;
    decltype(&::SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&::SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
    decltype(&::SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
    decltype(&::SDL_GetCurrentAudioDriver) GetCurrentAudioDriver = nullptr;
    decltype(&::SDL_TLSCleanup) TLSCleanup = nullptr;
    decltype(&::SDL_GetVersion) GetVersion = nullptr;

private:
    void loadOnce();
    template <typename Function>
    bool resolve(Function& function, const char* name);

    std::once_flag once_;
    bool loaded_ = false;
    QString failure_;
    // Never unloaded: SDL's audio thread may still be ending when this goes.
    QLibrary library_;
};
