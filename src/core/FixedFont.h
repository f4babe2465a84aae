#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

// The system's fixed-pitch font. Some desktops name a family for it that fontconfig does not
// mark as fixed pitch (Noto Sans Mono with its width variants), and the text that must line up
// in columns then drifts: the first family that is marked fixed pitch is taken instead.
inline QFont fixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontInfo(font).fixedPitch())
        return font;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        if (QFontDatabase::isFixedPitch(family)) {
            font.setFamilies({family});
            if (QFontInfo(font).fixedPitch())
                return font;
        }
    }
    return font;
}
