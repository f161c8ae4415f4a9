// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QTranslator>
#include <cmath>

#include "ViewFixture.h"
#include "i18n/Translations.h"
#include "ui/ElidingLabel.h"
#include "ui/FieldSurface.h"
#include "ui/Theme.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {
QRect inView(ContentView& view, QWidget* widget) {
  return QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size());
}
}  // namespace

TEST(ContentViewLayout, FieldsAndThe220WideClusterColumnHoldAtEverySize) {
  auto view = makeView("0");
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  Controls c(*view);
  QWidget* column = child(*view, "clusterColumn");
  QWidget* log = child(*view, "logSurface");
  for (const QSize size : {QSize(820, 520), QSize(1200, 700)}) {
    SCOPED_TRACE(size.width());
    view->resize(size);
    ASSERT_TRUE(QTest::qWaitFor([&] {
      return inView(*view, log).bottom() + 1 == size.height() - 20;
    })) << view->minimumSizeHint().height();
    EXPECT_EQ(inView(*view, c.refresh).right() + 1, size.width() - 20);
    EXPECT_EQ(c.picker->parentWidget()->width(), size.width() - 40);
    EXPECT_EQ(column->width(), 220);
    EXPECT_EQ(inView(*view, column).right() + 1, size.width() - 20);
    const QRect volume = inView(*view, c.volume->parentWidget());
    EXPECT_EQ(volume.left(), 20);
    EXPECT_EQ(volume.right() + 1, size.width() - 20 - 220 - 12);
    EXPECT_EQ(inView(*view, c.volume).left(), 20 + 10) << "inset on its surface";

    const QRect format = inView(*view, c.format), info = inView(*view, c.info);
    EXPECT_EQ(format.center().y(), info.center().y());
    EXPECT_GE(inView(*view, log).top(), inView(*view, c.check).bottom());
  }
}

// Every title fits the control that shows it, in English and in German, at
// the window's smallest size. CTest runs this again at scale 1.5 and 2
// (QT_SCALE_FACTOR), where fonts round differently.
TEST(ContentViewLayout, NoLabelIsClippedInEnglishOrGerman) {
  for (const char* language : {"en_US", "de_DE"}) {
    SCOPED_TRACE(language);
    QList<QTranslator*> installed;
    if (QByteArray(language) != "en_US") {
      ASSERT_TRUE(Translations::install(*qApp, QLocale(QString::fromLatin1(language))));
      installed = qApp->findChildren<QTranslator*>();
    }
    auto view = makeView("2");
    view->resize(view->minimumSize());
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));
    if (!installed.isEmpty()) EXPECT_EQ(Controls(*view).format->text(), "Als FAT32 &formatieren");
    for (StyledButton* button : view->findChildren<StyledButton*>()) {
      QString shown = button->text();
      shown.remove('&');
      const QRectF ink = QFontMetricsF(button->font()).tightBoundingRect(shown);
      EXPECT_LE(ink.width(), button->width()) << shown.toStdString();
      EXPECT_GE(button->width(), button->sizeHint().width()) << shown.toStdString();
      EXPECT_GE(button->height(), button->sizeHint().height()) << shown.toStdString();
    }
    for (QLabel* label : view->findChildren<QLabel*>()) {
      if (!label->isVisible() || label->wordWrap() || label->text().isEmpty()) continue;
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
      EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
    }
    for (QTranslator* translator : installed) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }
}

namespace {
QColor over(const QColor& top, const QColor& below) {
  const double a = top.alphaF();
  return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                          float(top.greenF() * a + below.greenF() * (1 - a)),
                          float(top.blueF() * a + below.blueF() * (1 - a)));
}

// WCAG 2 contrast ratio of two opaque colours.
double contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
}  // namespace

// Placeholders, captions and the name hint are text and read as such (4.5:1
// at least); a field's outline sets it off from the window (3:1).
TEST(ContentViewLayout, QuietTextAndFieldOutlinesAreReadable) {
  auto view = makeView("0");
  const QColor window = over(QColor::fromRgbF(0, 0, 0, float(theme::windowShade)),
                             view->palette().color(QPalette::Window));
  QColor surfaceFill = view->palette().color(QPalette::Window);
  surfaceFill.setAlphaF(float(theme::fieldSurfaceOpacity));
  const QColor surface = over(surfaceFill, window);
  Controls c(*view);
  EXPECT_GE(contrast(over(c.volume->palette().color(QPalette::PlaceholderText), surface), surface),
            4.5);
  EXPECT_GE(contrast(over(c.picker->palette().color(QPalette::PlaceholderText), surface), surface),
            4.5);
  for (QLabel* label : view->findChildren<QLabel*>()) {
    const QColor text = over(label->palette().color(QPalette::WindowText), window);
    EXPECT_GE(contrast(text, window), 4.5) << label->text().toStdString();
  }
  const QColor outline =
      over(QColor::fromRgbF(1, 1, 1, float(theme::surfaceOutlineOpacity)), surface);
  EXPECT_GE(contrast(outline, window), 3.0);
}

// The focus is seen on a field as a ring in the highlight colour round its surface.
TEST(ContentViewLayout, AFocusedFieldShowsARing) {
  auto view = makeView("2");
  view->show();
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  Controls c(*view);
  auto* surface = qobject_cast<FieldSurface*>(c.volume->parentWidget());
  ASSERT_TRUE(surface);
  const QColor highlight = view->palette().color(QPalette::Highlight);
  const auto ringShown = [&] {
    const QImage image = surface->grab().toImage();
    const QColor edge = image.pixelColor(1, image.height() / 2);
    return std::abs(edge.red() - highlight.red()) < 40 &&
           std::abs(edge.blue() - highlight.blue()) < 40;
  };
  c.refresh->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !surface->holdsFocus(); }));
  EXPECT_FALSE(ringShown());
  c.volume->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return surface->holdsFocus(); }));
  EXPECT_TRUE(ringShown());
}

// The name hint shows what a user types, accents too: the rendered glyphs of
// "Ü" and "Å" stay inside the hint (its dots and ring were cut off at the
// top). CTest runs this again at scale 1.5 and 2.
TEST(ContentViewLayout, NoLabelIsClippedNorTheAccentsInTheNameHint) {
  auto view = makeView("0");
  view->resize(view->minimumSize());
  view->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
  auto* hint = child<ElidingLabel>(*view, "volumeHint");
  for (const char* typed : {"\xC3\x9C\xC3\x85", "\xC3\x89gjp"}) {
    view->setLabel(QString::fromUtf8(typed));
    QApplication::processEvents();
    const QImage image = hint->grab().toImage();
    // Ink in the first or last row of pixels was cut off there.
    const QColor background = image.pixelColor(image.width() - 1, image.height() / 2);
    const auto inked = [&](int y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.lightness() - background.lightness()) > 40) return true;
      }
      return false;
    };
    EXPECT_FALSE(inked(0)) << typed << ": ink at the hint's top edge";
    EXPECT_FALSE(inked(image.height() - 1)) << typed << ": ink at the hint's bottom edge";
    const QRectF ink = QFontMetricsF(hint->font()).tightBoundingRect(hint->shownText());
    EXPECT_LE(ink.height(), hint->height()) << typed;
  }
}

// The row of actions starts where the fields start, in every language, and
// its buttons stand apart by the row's spacing.
TEST(ContentViewLayout, TheActionRowIsAlignedWithTheFields) {
  for (const char* language : {"en_US", "de_DE"}) {
    SCOPED_TRACE(language);
    QList<QTranslator*> installed;
    if (QByteArray(language) != "en_US") {
      ASSERT_TRUE(Translations::install(*qApp, QLocale(QString::fromLatin1(language))));
      installed = qApp->findChildren<QTranslator*>();
    }
    auto view = makeView("2");
    for (const QSize size : {view->minimumSize(), QSize(1200, 700)}) {
      view->resize(size);
      view->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
      QApplication::processEvents();
      Controls c(*view);
      const int fields = inView(*view, c.picker->parentWidget()).left();
      const QList<QWidget*> row{c.format, c.info, c.check, child(*view, "probeButton")};
      EXPECT_EQ(inView(*view, row.first()).left(), fields);
      for (qsizetype i = 1; i < row.size(); ++i)
        EXPECT_EQ(inView(*view, row[i]).left() - inView(*view, row[i - 1]).right() - 1, 12);
      EXPECT_LE(inView(*view, row.last()).right(), view->width() - 20);
    }
    for (QTranslator* translator : installed) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }
}
