// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace tessaro {

// Reads a property list in the XML form diskutil -plist prints.
// dict -> QVariantMap, array -> QVariantList, string -> QString, bool -> bool,
// integer -> qint64 (unsigned values beyond its range wrap), real -> double,
// data -> QByteArray, date -> QDateTime (UTC).
// Raises Error(ErrorDomain::propertyList, ...) when the text is not a property
// list, including a document with anything but white space after it (a
// diagnostic written after the list makes it unreadable), a binary property
// list and text holding a NUL byte.
QVariant parsePropertyList(const QByteArray& bytes);
QVariant parsePropertyList(const QString& text);

// An XML property list document, as diskutil info -plist writes it. Texts
// with characters XML cannot hold (control characters other than tab and
// line ends) are written with U+FFFD in their place.
QString writeXmlPropertyList(const QVariantMap& dict);

}  // namespace tessaro
