#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

// The small files the game keeps in the user's folders (progress, window
// settings): a header line that says the file is ours, then "key=value"
// lines. Blank lines and comments (";" or "#") may stand anywhere.
namespace tukomi::settings_file {

// The file's bytes; empty when it cannot be read or is longer than maxBytes,
// which a reader takes as no settings at all.
QByteArray read(const QString& path, qint64 maxBytes);

// Calls entry(key, value) for each "key=value" line after the header, both
// trimmed; lines without "=" are skipped. Returns false, having called
// nothing, when the first line that says anything is not header.
bool forEachEntry(QByteArrayView content, QByteArrayView header,
                  const std::function<void(QByteArrayView key, QByteArrayView value)>& entry);

// Replaces the file with content in one step, making its folder first. On
// failure the old file stays and error, when given, says why.
bool write(const QString& path, const QByteArray& content, QString* error);

}  // namespace tukomi::settings_file
