#pragma once

#include "scenario/InstructionGroup.h"

// The message and the message window: put, pt, textwindow, textnovel, ts, th,
// wnd and site.
class TextInstructions : public InstructionGroup {
public:
    explicit TextInstructions(clsInterpreter& interpreter);

private:
    struct Page {
        QString text;
        QString rest;
        QString voice;
        bool wait = true;
    };

    void Put(const QStringList& words);
    void PageTurn(const QStringList& words);
    void TextWindow(const QStringList& words);
    void TextNovel(const QStringList& words);
    void Show(const QStringList& words);
    void Hide(const QStringList& words);
    void WindowType(const QStringList& words);
    void Site(const QStringList& words);

    void SwitchFilmSet(qint32 set);
    // The page the put shows: the rest of the message, or a new message.
    Page NextPage(const QString& messageWord);
    // Reveals the page and decides the wait; false when the engine is closing.
    bool Reveal(const Page& page);
    void PlayVoice(const QString& voice);
    qint32 VoicePan(const QString& cid) const;
    qint32 AutoAdvanceDelay(const QString& page) const;
};
