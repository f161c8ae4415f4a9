#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace tessaro {

// Reads a property list in the XML or binary form diskutil prints.
// dict -> QVariantMap, array -> QVariantList, string -> QString, bool -> bool,
// integer -> qint64 (unsigned values beyond its range wrap), real -> double,
// data -> QByteArray, date -> QDateTime (UTC).
// Raises Error(ErrorDomain::propertyList, ...) when the text is not a property
// list, including a document with anything but white space after it (a
// diagnostic written after the list makes it unreadable).
QVariant parsePropertyList(const QByteArray& bytes);
QVariant parsePropertyList(const QString& text);

// An XML property list document, as diskutil info -plist writes it.
QString writeXmlPropertyList(const QVariantMap& dict);

}  // namespace tessaro
