#include "CFontWarmUp.h"

#include "UiLanguage.h"

#include <QApplication>
#include <QFont>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

// What Qt's own themes name when the desktop names no font.
const QLatin1String kGenericFamily("Sans Serif");

struct PatternDeleter
{
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The face the configuration gives Chinese sans-serif text. The hinting
// switch is set on faces, so only a match, not the pattern asked for,
// carries it.
Pattern ChineseFace()
{
    const Pattern wanted(FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=zh-cn")));
    if (!wanted)
        return nullptr;
    FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    return Pattern(FcFontMatch(nullptr, wanted.get(), &result));
}

} // namespace

// Qt's font database reads the same configuration on first use; fontconfig
// makes it once, whichever thread comes first, and shares it.
CFontWarmUp::CFontWarmUp(const QLocale& system)
    : m_speaksChinese(!UiLanguage::PrefersEnglish(system))
{
    m_thread = std::thread([this] {
        FcInit();
        if (!m_speaksChinese)
            return;
        const Pattern face = ChineseFace();
        if (!face)
            return;
        FcChar8* family = nullptr;
        if (FcPatternGetString(face.get(), FC_FAMILY, 0, &family) == FcResultMatch)
            m_chineseFamily = QString::fromUtf8(reinterpret_cast<const char*>(family));
        FcBool hinting = FcTrue;
        FcPatternGetBool(face.get(), FC_HINTING, 0, &hinting);
        m_hintsChinese = hinting != FcFalse;
    });
}

CFontWarmUp::~CFontWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CFontWarmUp::ApplyTo(QApplication&)
{
    if (m_thread.joinable())
        m_thread.join();
    if (!m_speaksChinese)
        return;
    QFont font = QApplication::font();
    // A face the desktop names stays; its Chinese falls back on this face.
    if (font.families() == QStringList{kGenericFamily} && !m_chineseFamily.isEmpty())
        font.setFamilies({m_chineseFamily});
    // Laid out by the faces' design metrics either way, as Qt lays out text
    // it hints only slightly; the stems are not snapped to the pixels.
    if (!m_hintsChinese)
        font.setHintingPreference(QFont::PreferNoHinting);
    if (font != QApplication::font())
        QApplication::setFont(font);
}
