// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

struct Message {
  QString context, source;
  QStringList translations;  // one, or one per plural form
  bool numerus = false;
  bool unfinished = false;
};

QList<Message> readTs(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QXmlStreamReader xml(&file);
  QList<Message> messages;
  QString context;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"name") context = xml.readElementText();
    if (xml.name() == u"message")
      messages.append(
          {context, {}, {}, xml.attributes().value(QStringLiteral("numerus")) == u"yes", false});
    if (xml.name() == u"source") messages.last().source = xml.readElementText();
    if (xml.name() == u"translation") {
      const auto type = xml.attributes().value(QStringLiteral("type"));
      messages.last().unfinished = !type.isEmpty();  // unfinished, vanished or obsolete
      // Plural forms follow in numerusform elements.
      if (!messages.last().numerus) {
        const QString text = xml.readElementText();
        if (!text.isEmpty()) messages.last().translations << text;
      }
    }
    if (xml.name() == u"numerusform") messages.last().translations << xml.readElementText();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

// The %1, %2, … a text holds, sorted; %n counts too.
QStringList placeholders(const QString& text) {
  static const QRegularExpression marker(QStringLiteral("%(?:[1-9][0-9]?|n|Ln)"));
  QStringList found;
  for (const auto& match : marker.globalMatch(text)) found << match.captured();
  found.sort();
  return found;
}

qsizetype mnemonics(const QString& text) {
  return text.count(QLatin1Char('&')) - 2 * text.count(QStringLiteral("&&"));
}

// Every translation keeps what the program fills in and what the keyboard
// reaches, so no device path or count goes missing from a line.
TEST(TranslationFileTest, EveryTranslationIsFinishedAndKeepsItsPlaceholders) {
  const QStringList files = QDir(TESSARO_TRANSLATIONS_DIR).entryList({"tessaro_*.ts"}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  for (const QString& name : files) {
    const QList<Message> messages = readTs(QDir(TESSARO_TRANSLATIONS_DIR).filePath(name));
    ASSERT_GT(messages.size(), 100) << name.toStdString();
    for (const Message& message : messages) {
      const std::string where =
          (name + ' ' + message.context + ": " + message.source).toStdString();
      EXPECT_FALSE(message.unfinished) << where;
      ASSERT_FALSE(message.translations.isEmpty()) << where;
      for (const QString& translation : message.translations) {
        EXPECT_EQ(placeholders(translation), placeholders(message.source)) << where;
        EXPECT_EQ(mnemonics(translation), mnemonics(message.source)) << where;
        EXPECT_EQ(translation.startsWith('\n'), message.source.startsWith('\n')) << where;
        EXPECT_EQ(translation.endsWith('\n'), message.source.endsWith('\n')) << where;
      }
    }
  }
}

}  // namespace
