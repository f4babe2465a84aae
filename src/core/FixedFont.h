#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <optional>

// The system's fixed-pitch font. Some desktops name a family for it that fontconfig does not
// mark as fixed pitch (Noto Sans Mono with its width variants), and the text that must line up
// in columns then drifts: the first family that is marked fixed pitch is taken instead.
// pointSize, when given, is the size the font is used at: the test then loads the face at that
// size, which drawing reuses.
inline QFont fixedPitchFont(int pointSize = 0) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    // Asked once a run: each answer loads a font, and the window asks for every pair edit.
    static const std::optional<QString> replacement = [&font]() -> std::optional<QString> {
        if (QFontInfo(font).fixedPitch())
            return std::nullopt;
        QFont candidate = font;
        const QStringList families = QFontDatabase::families();
        for (const QString& family : families) {
            if (QFontDatabase::isFixedPitch(family)) {
                candidate.setFamilies({family});
                if (QFontInfo(candidate).fixedPitch())
                    return family;
            }
        }
        return std::nullopt;
    }();
    if (replacement)
        font.setFamilies({*replacement});
    return font;
}
