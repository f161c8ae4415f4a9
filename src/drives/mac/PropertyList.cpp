// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include "drives/mac/PropertyList.h"

#include <plist/plist.h>

#include <QCoreApplication>
#include <QDateTime>
#include <memory>

#include "exec/Error.h"

namespace tessaro {

namespace {

struct ListText {
  Q_DECLARE_TR_FUNCTIONS(PropertyList)
};

enum ReadError : qint64 { notAPropertyList = 1, trailingText = 2, binaryForm = 3 };

struct PlistFree {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// Property-list dates count seconds from 2001-01-01 UTC.
const QDateTime& referenceDate() {
  static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
  return date;
}

QVariant toVariant(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
      QVariantMap map;
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!key) break;
        map.insert(QString::fromUtf8(key), toVariant(value));
        free(key);
      }
      free(it);
      return map;
    }
    case PLIST_ARRAY: {
      QVariantList list;
      const uint32_t count = plist_array_get_size(node);
      for (uint32_t i = 0; i < count; ++i) list.append(toVariant(plist_array_get_item(node, i)));
      return list;
    }
    case PLIST_STRING: {
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      return QString::fromUtf8(text, static_cast<qsizetype>(length));
    }
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return value != 0;
    }
    case PLIST_UINT: {
      uint64_t value = 0;
      plist_get_uint_val(node, &value);
      return static_cast<qint64>(value);
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return value;
    }
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* data = plist_get_data_ptr(node, &length);
      return QByteArray(data, static_cast<qsizetype>(length));
    }
    case PLIST_DATE: {
      int32_t sec = 0, usec = 0;
      plist_get_date_val(node, &sec, &usec);
      return referenceDate().addMSecs(qint64(sec) * 1000 + usec / 1000);
    }
    case PLIST_UID: {
      uint64_t value = 0;
      plist_get_uid_val(node, &value);
      return static_cast<qint64>(value);
    }
    default:
      return {};
  }
}

// Text as XML 1.0 can hold it: libplist writes strings as they are, so a
// control character (a drive's model may hold one) would make the whole
// document unreadable, and a NUL would cut the text short.
QByteArray xmlText(const QString& text) {
  QString clean = text;
  for (QChar& c : clean) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != '\t' && u != '\n' && u != '\r') || u == 0xFFFE || u == 0xFFFF)
      c = QChar::ReplacementCharacter;
  }
  return clean.toUtf8();
}

plist_t toNode(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QVariantMap: {
      plist_t dict = plist_new_dict();
      const QVariantMap map = value.toMap();
      for (auto it = map.cbegin(); it != map.cend(); ++it)
        plist_dict_set_item(dict, xmlText(it.key()).constData(), toNode(it.value()));
      return dict;
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      plist_t array = plist_new_array();
      for (const QVariant& item : value.toList()) plist_array_append_item(array, toNode(item));
      return array;
    }
    case QMetaType::Bool:
      return plist_new_bool(value.toBool());
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
      return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
      return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
      return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
      const QByteArray bytes = value.toByteArray();
      return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
    }
    case QMetaType::QDateTime: {
      const qint64 ms = referenceDate().msecsTo(value.toDateTime());
      return plist_new_date(static_cast<int32_t>(ms / 1000),
                            static_cast<int32_t>(ms % 1000) * 1000);
    }
    default:
      return plist_new_string(xmlText(value.toString()).constData());
  }
}

[[noreturn]] void fail(qint64 code, const QString& description) {
  throw Error(ErrorDomain::propertyList, code, description);
}

}  // namespace

QVariant parsePropertyList(const QByteArray& bytes) {
  // diskutil prints XML. The binary form is refused before libplist sees it:
  // libplist 2.2 aborts the whole process on some binary lists (a key holding
  // U+0000), and nothing here needs that form.
  if (bytes.startsWith("bplist"))
    fail(binaryForm, ListText::tr("The data couldn't be read because it is a binary property "
                                  "list; only the XML form is read."));
  // libplist ignores whatever follows the document; the platform's reader
  // does not, and neither do we, since captured standard error lands there.
  const QByteArray text = bytes.trimmed();
  if (!text.startsWith('<') || text.contains('\0'))
    fail(notAPropertyList,
         ListText::tr("The data couldn't be read because it isn't in the correct format."));
  if (!text.endsWith("</plist>"))
    fail(trailingText, ListText::tr("The data couldn't be read because it isn't in the "
                                    "correct format (text after the property list)."));
  plist_t root = nullptr;
  plist_from_xml(text.constData(), static_cast<uint32_t>(text.size()), &root);
  if (!root)
    fail(notAPropertyList,
         ListText::tr("The data couldn't be read because it isn't in the correct format."));
  PlistPtr owner(root);
  return toVariant(root);
}

QVariant parsePropertyList(const QString& text) { return parsePropertyList(text.toUtf8()); }

QString writeXmlPropertyList(const QVariantMap& dict) {
  PlistPtr root(toNode(dict));
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(static_cast<plist_t>(root.get()), &xml, &length);
  const QString result = QString::fromUtf8(xml, static_cast<qsizetype>(length));
  plist_to_xml_free(xml);
  return result;
}

}  // namespace tessaro
