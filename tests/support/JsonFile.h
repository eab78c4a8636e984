#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace qxtest {

// The JSON object in the file at sPath; empty when the file cannot be read. sError says why the text did not
// read as a JSON object (empty when it did, or when there was no file).
inline QJsonObject ReadJsonObject(const QString& sPath, QString& sError) {
    sError.clear();
    QFile f(sPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QJsonParseError rError;
    const QJsonDocument Doc = QJsonDocument::fromJson(f.readAll(), &rError);
    if (rError.error != QJsonParseError::NoError)
        sError = rError.errorString();
    else if (!Doc.isObject())
        sError = QStringLiteral("not an object");
    return Doc.object();
}

} // namespace qxtest
