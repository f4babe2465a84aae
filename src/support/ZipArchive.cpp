#include "support/ZipArchive.h"

#include <QFile>
#include <zip.h>

namespace ziparchive {

namespace {

QString zipError(zip_t* archive) {
    return QString::fromLocal8Bit(zip_strerror(archive));
}

QString openError(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    const QString text = QString::fromLocal8Bit(zip_error_strerror(&e));
    zip_error_fini(&e);
    return text;
}

} // namespace

bool write(const QString& path, const QList<Member>& members, QString* error) {
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        if (error)
            *error = path + QStringLiteral(": ") + openError(code);
        return false;
    }
    for (const Member& m : members) {
        // libzip reads the data at zip_close: the members outlive the archive's work.
        zip_source_t* source =
            zip_source_buffer(archive, m.data.constData(), zip_uint64_t(m.data.size()), 0);
        if (!source ||
            zip_file_add(archive, m.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source)
                zip_source_free(source);
            if (error)
                *error = m.name + QStringLiteral(": ") + zipError(archive);
            zip_discard(archive);
            return false;
        }
    }
    if (zip_close(archive) != 0) {
        if (error)
            *error = path + QStringLiteral(": ") + zipError(archive);
        zip_discard(archive);
        return false;
    }
    return true;
}

std::optional<QList<Member>> read(const QString& path, QString* error) {
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        if (error)
            *error = path + QStringLiteral(": ") + openError(code);
        return std::nullopt;
    }
    QList<Member> members;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_file_t* file = nullptr;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) == 0)
            file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file) {
            if (error)
                *error = path + QStringLiteral(": ") + zipError(archive);
            zip_discard(archive);
            return std::nullopt;
        }
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(file, data.data(), st.size);
        zip_fclose(file);
        if (got != zip_int64_t(st.size)) {
            if (error)
                *error = path + QStringLiteral(": ") + QString::fromUtf8(st.name) +
                         QStringLiteral(" is damaged");
            zip_discard(archive);
            return std::nullopt;
        }
        members.append({QString::fromUtf8(st.name), data});
    }
    zip_discard(archive);
    return members;
}

} // namespace ziparchive
