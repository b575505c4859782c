#pragma once

#include <QLocale>
#include <QString>

#include <thread>

class QApplication;

// Reads the system's font configuration on a thread of its own while Qt
// starts and reaches the display. The window's first text needs it, and
// reading it (some fifty files of settings, then the font caches) costs the
// start a few milliseconds that it would otherwise spend waiting. Made
// before the application object; where the platform keeps no such
// configuration it does nothing.
//
// While at it, it asks the configuration for the face it gives Chinese text,
// which Qt does not when the tool speaks Chinese on a system that does not:
// - Qt resolves its generic "Sans Serif" for the system's language, so that
//   the tool's Chinese came from a fallback face and its Latin letters from
//   another; a Chinese system draws both with the Chinese face.
// - Qt reads the configuration's hint style but not its switch that turns
//   hinting off for a face, as the packages of Chinese faces commonly do.
//   FreeType's auto-hinter then loads each glyph three times, for stems that
//   the face's makers chose not to snap.
class CFontWarmUp
{
public:
    explicit CFontWarmUp(const QLocale& system = QLocale::system());
    ~CFontWarmUp();
    CFontWarmUp(const CFontWarmUp&) = delete;
    CFontWarmUp& operator=(const CFontWarmUp&) = delete;

    // Gives the application's font that face and its hinting, where the tool
    // speaks Chinese. Once the application object exists, before its first
    // window; waits for the reading.
    void ApplyTo(QApplication& app);

private:
    std::thread m_thread;
    bool m_speaksChinese;
    // What the configuration says of its face for Chinese sans-serif text.
    QString m_chineseFamily;
    bool m_hintsChinese = true;
};
