#include "finder/window/table_font.h"

#include <QFontDatabase>
#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString songFamily()
{
    // The GB2312 Song faces first, then the free Ming/Song serifs of
    // Linux distributions (fonts-arphic-uming, fonts-noto-cjk).
    const QStringList preferred{
        u"SimSun"_s,         u"宋体"_s,           u"NSimSun"_s,         u"AR PL UMing CN"_s,
        u"AR PL UMing"_s,    u"AR PL UMing TW"_s, u"Noto Serif CJK SC"_s, u"Source Han Serif SC"_s,
        u"Noto Serif CJK"_s, u"WenQuanYi Zen Hei"_s,
    };
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : preferred) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }

    // Any other face that draws Chinese, serif-like names first.
    QStringList cjk;
    for (const auto system : {QFontDatabase::SimplifiedChinese, QFontDatabase::TraditionalChinese,
                              QFontDatabase::Japanese, QFontDatabase::Korean}) {
        for (const QString &family : QFontDatabase::families(system)) {
            if (!cjk.contains(family))
                cjk << family;
        }
    }
    const QStringList serifWords{u"Song"_s, u"Ming"_s, u"Serif"_s, u"Mincho"_s, u"Myeongjo"_s, u"Batang"_s};
    for (const QString &family : std::as_const(cjk)) {
        const bool serif = std::any_of(serifWords.cbegin(), serifWords.cend(), [&family](const QString &word) {
            return family.contains(word, Qt::CaseInsensitive);
        });
        if (serif)
            return family;
    }
    return cjk.value(0);
}

} // namespace

QFont tableFont(qreal pointSize)
{
    QFont font;
    const QString family = songFamily();
    // fontconfig resolves "serif" to whatever serif face the system has.
    font.setFamily(family.isEmpty() ? u"serif"_s : family);
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
