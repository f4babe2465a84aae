#pragma once

#include "image/ParamImage.h"

#include <QString>

// Table files (".tbl"): exactly the 4096 image bytes, no header.
namespace tablefile {

enum class Outcome {
    Taken,      // a full image of this model: every byte taken
    Merged,     // a plain pager receiver's image: capcode and frequency data merged
    Refused,    // any other model tag: nothing taken
    Unreadable, // the file could not be opened or read
};

struct OpenResult {
    Outcome outcome = Outcome::Unreadable;
    // What to show: for Merged and Refused the plain message naming the file, for Unreadable
    // "Open Error!" (a file error box). Empty for Taken.
    QString message;
    // Why the file could not be read (the system's reason), for a command line to add.
    QString detail;
    // Only an accepted file may become the Save target; a refused or unreadable one leaves
    // the previous name in place.
    bool accepted() const { return outcome == Outcome::Taken || outcome == Outcome::Merged; }
};

// Reads up to 4096 bytes (a short file is zero-filled, a long one cut), classifies them and
// applies them to the image. The image is untouched unless the result is accepted. A named
// pipe or a device is reported unreadable rather than waited on.
OpenResult open(const QString& path, ParamImage& image);

// Writes exactly the 4096 image bytes through a temporary file in the same folder that is
// renamed over the target, so a failed save never damages the file that was there.
// False when anything fails; then the target is as it was. A target that exists but is not
// a regular file (a folder, a device) is refused. reason, when given, receives the system's
// explanation of a failure.
bool save(const QString& path, const ParamImage& image, QString* reason = nullptr);

// The window caption after a file was taken or saved: the first "[" is kept and the name
// and "]" follow it; without one " - [" name "]" is appended.
QString captionWithFile(const QString& caption, const QString& name);

inline const QString kDefaultFileName = QStringLiteral("default.tbl");
inline const QString kDialogFilter = QStringLiteral("Text files (*.tbl)");
inline const QString kDefaultSuffix = QStringLiteral("tbl");

} // namespace tablefile
