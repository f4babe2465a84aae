#include "support/ZipArchive.h"

#include <QFile>
#include <QLibrary>
#include <zip.h>

#ifndef LEDSIGN_LIBZIP_SONAME // set by the build; this is MinGW's name
#define LEDSIGN_LIBZIP_SONAME "libzip"
#endif

namespace ziparchive {

namespace {

// The functions of libzip used here, by name.
#define LEDSIGN_LIBZIP_FUNCTIONS(X)                                                                \
    X(zip_strerror)                                                                                \
    X(zip_error_init_with_code)                                                                    \
    X(zip_error_strerror)                                                                          \
    X(zip_error_fini)                                                                              \
    X(zip_open)                                                                                    \
    X(zip_source_buffer)                                                                           \
    X(zip_file_add)                                                                                \
    X(zip_source_free)                                                                             \
    X(zip_discard)                                                                                 \
    X(zip_close)                                                                                   \
    X(zip_get_num_entries)                                                                         \
    X(zip_stat_index)                                                                              \
    X(zip_fopen_index)                                                                             \
    X(zip_fread)                                                                                   \
    X(zip_fclose)

// libzip, opened at the first zip written or read rather than when the program starts (see
// src/support/CMakeLists.txt). Without it no zip is written or read, and the reason is told.
struct LibZip {
// NOLINTNEXTLINE(bugprone-macro-parentheses): name is the member declared, not an expression
#define LEDSIGN_MEMBER(name) decltype(&::name) name = nullptr;
    LEDSIGN_LIBZIP_FUNCTIONS(LEDSIGN_MEMBER)
#undef LEDSIGN_MEMBER
    QString missing; // why it could not be used; empty when it can
};

const LibZip& libzip() {
    static const LibZip z = [] {
        LibZip z;
        QLibrary library(QStringLiteral(LEDSIGN_LIBZIP_SONAME));
        if (!library.load()) {
            z.missing = library.errorString();
            return z;
        }
#define LEDSIGN_RESOLVE(name)                                                                      \
    z.name = reinterpret_cast<decltype(z.name)>(library.resolve(#name));                           \
    if (!z.name)                                                                                   \
        z.missing = QStringLiteral(LEDSIGN_LIBZIP_SONAME " has no " #name);
        LEDSIGN_LIBZIP_FUNCTIONS(LEDSIGN_RESOLVE)
#undef LEDSIGN_RESOLVE
        return z;
    }();
    return z;
}

QString zipError(zip_t* archive) {
    return QString::fromLocal8Bit(libzip().zip_strerror(archive));
}

QString openError(int code) {
    zip_error_t e;
    libzip().zip_error_init_with_code(&e, code);
    const QString text = QString::fromLocal8Bit(libzip().zip_error_strerror(&e));
    libzip().zip_error_fini(&e);
    return text;
}

} // namespace

bool write(const QString& path, const QList<Member>& members, QString* error) {
    const LibZip& z = libzip();
    if (!z.missing.isEmpty()) {
        if (error)
            *error = path + QStringLiteral(": ") + z.missing;
        return false;
    }
    int code = 0;
    zip_t* archive =
        z.zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        if (error)
            *error = path + QStringLiteral(": ") + openError(code);
        return false;
    }
    for (const Member& m : members) {
        // libzip reads the data at zip_close: the members outlive the archive's work.
        zip_source_t* source =
            z.zip_source_buffer(archive, m.data.constData(), zip_uint64_t(m.data.size()), 0);
        if (!source ||
            z.zip_file_add(archive, m.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                z.zip_source_free(source);
            if (error)
                *error = m.name + QStringLiteral(": ") + zipError(archive);
            z.zip_discard(archive);
            return false;
        }
    }
    if (z.zip_close(archive) != 0) {
        if (error)
            *error = path + QStringLiteral(": ") + zipError(archive);
        z.zip_discard(archive);
        return false;
    }
    return true;
}

std::optional<QList<Member>> read(const QString& path, QString* error) {
    const LibZip& z = libzip();
    if (!z.missing.isEmpty()) {
        if (error)
            *error = path + QStringLiteral(": ") + z.missing;
        return std::nullopt;
    }
    int code = 0;
    zip_t* archive = z.zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        if (error)
            *error = path + QStringLiteral(": ") + openError(code);
        return std::nullopt;
    }
    QList<Member> members;
    const zip_int64_t count = z.zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_file_t* file = nullptr;
        if (z.zip_stat_index(archive, zip_uint64_t(i), 0, &st) == 0)
            file = z.zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file) {
            if (error)
                *error = path + QStringLiteral(": ") + zipError(archive);
            z.zip_discard(archive);
            return std::nullopt;
        }
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        const zip_int64_t got = z.zip_fread(file, data.data(), st.size);
        z.zip_fclose(file);
        if (got != zip_int64_t(st.size)) {
            if (error)
                *error = path + QStringLiteral(": ") + QString::fromUtf8(st.name) +
                         QStringLiteral(" is damaged");
            z.zip_discard(archive);
            return std::nullopt;
        }
        members.append({QString::fromUtf8(st.name), data});
    }
    z.zip_discard(archive);
    return members;
}

} // namespace ziparchive
