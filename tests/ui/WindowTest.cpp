// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

// The window: what each control shows and allows, how it is laid out and read
// aloud, and the symbols its log draws.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QScopeGuard>
#include <QTranslator>
#include <cmath>

#include "DataRows.h"
#include "ViewFixture.h"
#include "i18n/Translations.h"
#include "ui/ElidingLabel.h"
#include "ui/FieldSurface.h"
#include "ui/SymbolFallback.h"
#include "ui/Theme.h"

using namespace tessaro;
using namespace tessaro::test;

TEST(ContentView, EnableRulesFollowSelectionAndBusy) {
  auto view = settledView("2");
  Controls c(*view);
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");

  auto* cancel = child<StyledButton>(*view, "cancelButton");
  EXPECT_TRUE(cancel->isHidden());
  view->setBusy(true);
  EXPECT_EQ(c.enabledButtons(), "");
  EXPECT_FALSE(c.busy->isHidden());
  EXPECT_TRUE(!cancel->isHidden() && cancel->isEnabled());
  EXPECT_TRUE(child<StyledButton>(*view, "saveLogButton")->isEnabled());
  EXPECT_EQ(c.busy->elapsedText(), "0 s");
  // The picker and the fields still take input while busy.
  c.picker->setFocus();
  QTest::keyClick(c.picker, Qt::Key_Down);
  EXPECT_EQ(view->selectedDrive(), view->diskManager().drives().value(1));
  QTest::keyClicks(c.volume, "my usb");
  EXPECT_EQ(view->label(), "my usb") << "typed as is, no upper-casing";
  c.cluster->setFocus();
  QTest::keyClick(c.cluster, Qt::Key_Down);
  EXPECT_EQ(view->cluster(), ClusterOption::C512);

  view->setBusy(false);
  EXPECT_TRUE(c.busy->isHidden());
  EXPECT_TRUE(cancel->isHidden());
  EXPECT_EQ(c.enabledButtons(), "refresh format info check");
  view->setSelectedDrive(std::nullopt);
  EXPECT_EQ(c.enabledButtons(), "refresh");
}

namespace {
QRect inView(ContentView& view, QWidget* widget) {
  return QRect(widget->mapTo(&view, QPoint(0, 0)), widget->size());
}
}  // namespace

// At the window's smallest size and a larger one, in English and in German:
// the fields span the window inside its margin, beside the 220 wide cluster
// column, the log takes what is left below, the row of actions starts where
// the fields start, its buttons apart by the row's spacing, and every title
// fits the control that shows it. CTest runs this again at scale 1.5 and 2
// (QT_SCALE_FACTOR), where fonts round differently. The name hint keeps the
// accents of what is typed whole.
TEST(ContentViewLayout, NoLabelIsClippedInEnglishOrGerman) {
  for (const char* language : {"en_US", "de_DE"}) {
    // German as the application installs it, for as long as the guard lives.
    const bool german = language == std::string("de_DE");
    ASSERT_TRUE(!german || Translations::install(*qApp, QLocale(language)));
    const auto speaking = qScopeGuard([] { qDeleteAll(qApp->findChildren<QTranslator*>()); });
    auto view = settledView("2");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    Controls c(*view);
    if (german) EXPECT_EQ(c.format->text(), "Als FAT32 &formatieren");
    QWidget* column = child(*view, "clusterColumn");
    QWidget* log = child(*view, "logSurface");
    for (const QSize size : {view->minimumSize(), QSize(1200, 700)}) {
      SCOPED_TRACE(std::string(language) + " " + std::to_string(size.width()));
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
      EXPECT_GE(inView(*view, log).top(), inView(*view, c.check).bottom());
      const QList<QWidget*> row{c.format, c.info, c.check, child(*view, "probeButton")};
      EXPECT_EQ(inView(*view, row.first()).left(), 20);
      for (qsizetype i = 1; i < row.size(); ++i) {
        EXPECT_EQ(inView(*view, row[i]).left() - inView(*view, row[i - 1]).right() - 1, 12);
        EXPECT_EQ(inView(*view, row[i]).center().y(), inView(*view, row[0]).center().y());
      }
      EXPECT_LE(inView(*view, row.last()).right(), view->width() - 20);
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
      // The name hint shows what a user types, accents too: the rendered
      // glyphs of "Ü" and "Å" stay inside the hint (its dots and ring were cut
      // off at the top).
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
      view->setLabel(QString());
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

namespace {

bool isInteractive(QAccessibleInterface* node) {
  static const QList<QAccessible::Role> roles{QAccessible::PushButton,     QAccessible::ButtonMenu,
                                              QAccessible::ButtonDropDown, QAccessible::CheckBox,
                                              QAccessible::RadioButton,    QAccessible::ComboBox,
                                              QAccessible::EditableText,   QAccessible::SpinBox,
                                              QAccessible::Slider,         QAccessible::Link};
  return roles.contains(node->role()) || node->state().focusable;
}

// Every visible control a user can operate, as a screen reader reaches it:
// "<role> <objectName>: <name> | <description>".
void walk(QAccessibleInterface* node, QStringList& unnamed, QStringList& seen) {
  if (!node || !node->isValid() || node->state().invisible) return;
  if (isInteractive(node)) {
    const QString name = node->text(QAccessible::Name);
    const QString who =
        QStringLiteral("%1 %2").arg(int(node->role())).arg(node->object()->objectName());
    if (name.trimmed().isEmpty()) unnamed << who;
    seen << who + ": " + name + " | " + node->text(QAccessible::Description);
  }
  for (int i = 0; i < node->childCount(); ++i) walk(node->child(i), unnamed, seen);
}

QString named(QWidget* widget) { return widget ? widget->objectName() : QStringLiteral("-"); }

}  // namespace

TEST(Accessibility, EveryInteractiveControlHasANameAndTheMainOnesADescription) {
  for (const char* drives : {"0", "2"}) {
    SCOPED_TRACE(drives);
    auto view = settledView(drives);
    QStringList unnamed, seen;
    walk(QAccessible::queryAccessibleInterface(view.get()), unnamed, seen);
    EXPECT_TRUE(unnamed.isEmpty()) << "without a name: " << unnamed.join(", ").toStdString();
    for (const StyledButton* button : view->findChildren<StyledButton*>()) {
      EXPECT_FALSE(button->accessibleName().isEmpty() || button->accessibleDescription().isEmpty())
          << button->objectName().toStdString() << ", shown or not";
    }

    const char* controls[] = {"refreshButton", "drivePicker",   "volumeField",
                              "clusterMenu",   "formatButton",  "infoButton",
                              "checkButton",   "saveLogButton", "statusText"};
    for (const char* control : controls) {
      const QString prefix = QLatin1Char(' ') + control + ": ";
      const auto entry = std::find_if(seen.begin(), seen.end(),
                                      [&](const QString& line) { return line.contains(prefix); });
      ASSERT_NE(entry, seen.end()) << control << " not reached: " << seen.join('\n').toStdString();
      EXPECT_FALSE(entry->section(" | ", 1).trimmed().isEmpty())
          << control << " has no description";
    }
  }
}

// Tab follows the layout, Alt+<letter> reaches every control, Return presses
// the focused button, and a focused field shows a ring in the highlight colour
// round its surface.
TEST(Accessibility, TabFollowsTheLayoutAndMnemonicsReachTheControls) {
  auto view = settledView("2");
  Controls c(*view);
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  auto* surface = qobject_cast<FieldSurface*>(c.volume->parentWidget());
  ASSERT_TRUE(surface);
  const QColor highlight = view->palette().color(QPalette::Highlight);
  const auto ringShown = [&] {
    const QImage image = surface->grab().toImage();
    const QColor edge = image.pixelColor(1, image.height() / 2);
    return std::abs(edge.red() - highlight.red()) < 40 &&
           std::abs(edge.blue() - highlight.blue()) < 40;
  };
  c.refresh->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !surface->holdsFocus(); }));
  EXPECT_FALSE(ringShown());

  // Controls other windows parts add may sit in between; these keep their order.
  const QStringList layoutOrder{"refreshButton", "drivePicker", "volumeField", "clusterMenu",
                                "formatButton",  "infoButton",  "checkButton", "statusText"};
  QStringList reached{named(QApplication::focusWidget())};
  for (int i = 0; i < 20 && reached.size() < 40; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached << named(QApplication::focusWidget());
  }
  qsizetype at = -1;
  for (const QString& name : layoutOrder) {
    const qsizetype found = reached.indexOf(name, at + 1);
    EXPECT_GT(found, at) << name.toStdString() << " out of order in "
                         << reached.join(' ').toStdString();
    at = std::max(at, found);
  }

  // Alt+<letter> presses the buttons and focuses the fields; no two share a letter.
  QList<QKeySequence> mnemonics;
  for (auto* button : view->findChildren<StyledButton*>())
    mnemonics << QKeySequence::mnemonic(button->text());
  for (QLabel* label : view->findChildren<QLabel*>())
    if (label->buddy()) mnemonics << QKeySequence::mnemonic(label->text());
  for (const QKeySequence& key : mnemonics) {
    EXPECT_FALSE(key.isEmpty());
    EXPECT_EQ(mnemonics.count(key), 1) << key.toString().toStdString();
  }
  EXPECT_EQ(QKeySequence::mnemonic(c.format->text()), QKeySequence(Qt::ALT | Qt::Key_F));

  QTest::keyClick(view.get(), Qt::Key_V, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), c.volume);
  ASSERT_TRUE(QTest::qWaitFor([&] { return surface->holdsFocus(); }));
  EXPECT_TRUE(ringShown());
  QTest::keyClick(view.get(), Qt::Key_R, Qt::AltModifier);
  // Pressed as by a click, released later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->statusLog() == "Refreshing drives..."; }))
      << view->statusLog().toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));

  // Return and Enter press the focused button as Space does, and never start a
  // format from the name field.
  int asked = 0;
  view->setConfirmation([&](const Drive&) {
    ++asked;
    return false;
  });
  const QString log = view->statusLog();
  c.volume->setFocus();
  QTest::keyClicks(c.volume, "stick");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(c.volume, key);
  QTest::qWait(50);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(view->isBusy());
  EXPECT_EQ(view->statusLog(), log);
  EXPECT_EQ(view->label(), "stick");

  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    c.format->setFocus();
    QTest::keyClick(c.format, key);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == (key == Qt::Key_Return ? 1 : 2); }))
        << "asked " << asked << " times";
  }
  c.refresh->setFocus();
  EXPECT_TRUE(waitForEnd(*view, [&] { QTest::keyClick(c.refresh, Qt::Key_Enter); }));
  EXPECT_EQ(view->statusLog(), "Found 2 external/removable drive(s).");

  // The drawn title leaves the "&" out and keeps its width.
  const auto style = std::make_shared<PrimaryButtonStyle>();
  for (const QString& title : {QStringLiteral("Show Info"), QString(40, QLatin1Char('W'))})
    EXPECT_EQ(StyledButton("&" + title, style).sizeHint(), StyledButton(title, style).sizeHint());
}

// Under the field, as typed: the name a format writes, or the reason it would
// refuse the name (the names of VolumeNames/names.rows that a keyboard types,
// one key at a time as a layout with É sends it); the field keeps any text.
TEST(Accessibility, TheNameHintSaysWhatAFormatWouldWriteOrWhyNot) {
  auto view = settledView("2");
  Controls c(*view);
  auto* hint = child<ElidingLabel>(*view, "volumeHint");
  const auto type = [&](const QString& typed) {
    c.volume->clear();
    for (const QChar key : typed) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
      QApplication::sendEvent(c.volume, &press);
    }
    EXPECT_EQ(c.volume->text(), typed) << "the field keeps what is typed";
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->toolTip(), hint->text()) << "the whole text where the line is cut short";
    return hint->text();
  };
  c.volume->setFocus();
  EXPECT_EQ(type("   "), "Written as: UNTITLED");
  const auto rows = test::readDataRows(TESSARO_FIXTURES_DIR "/VolumeNames/names.rows");
  ASSERT_GT(rows.size(), 20);
  for (const test::DataRow& row : rows) {
    const QStringList texts = test::textsOf(row.fields);
    if (texts[0].contains('\t')) continue;  // no key types a tab into a field
    const QString refusal = texts[1].isEmpty() ? "Written as: " + texts[0].toUpper() : texts[1];
    EXPECT_TRUE(type(texts[0]).contains(refusal))
        << row.where.toStdString() << ": " << hint->text().toStdString();
  }
}

namespace {
QString symbol(char32_t code) { return QString::fromUcs4(&code, 1); }

// Characters that take no glyph of their own.
bool isFormatCharacter(char32_t code) {
  return code == U'\n' || code == U'\uFE0F' || code == U'\uFE0E' || code == U'\u200D';
}
}  // namespace

// With or without a colour emoji font installed: what the log shows has a
// glyph for every character, and only emoji the fonts lack are replaced.
TEST(SymbolFallback, TheLogDrawsEverySymbolWithTheFontsAtHand) {
  const QFont font = theme::logFont();
  ASSERT_TRUE(SymbolFallback::canDraw(font, "A"));
  ASSERT_FALSE(SymbolFallback::canDraw(font, symbol(U'\U0010FFFD'))) << "a box is seen as one";
  const SymbolFallback fallback = SymbolFallback::forFont(font);
  for (const SymbolFallback::Substitute& entry : SymbolFallback::table()) {
    SCOPED_TRACE(symbol(entry.symbol).toStdString());
    const QString shown = fallback.apply(symbol(entry.symbol));
    if (SymbolFallback::canDraw(font, symbol(entry.symbol))) {
      EXPECT_EQ(shown, symbol(entry.symbol)) << "a drawable emoji stays";
    } else if (SymbolFallback::canDraw(font, symbol(entry.replacement))) {
      EXPECT_EQ(shown, symbol(entry.replacement));
    }
  }

  auto view = makeView("2");
  Controls c(*view);
  const QString lines[] = {QString::fromUtf8("\xE2\x9D\x8C Error: Check failed on /dev/sdb"),
                           QString::fromUtf8("\xE2\x9C\x85 Repair completed."),
                           QString::fromUtf8("\xE2\x84\xB9\xEF\xB8\x8F Using partition /dev/sdb1")};
  for (const QString& line : lines) view->appendLog(line);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->statusLog().endsWith(lines[2]); }, 5000))
      << "still not so after 5000 ms: view->statusLog().endsWith(lines[2])";
  c.log->flush();
  EXPECT_TRUE(view->statusLog().startsWith(ContentView::welcomeText())) << "the text itself stays";
  const QString shown = c.log->toPlainText();
  EXPECT_EQ(shown, fallback.apply(view->statusLog()));
  for (const char32_t code : shown.toUcs4()) {
    if (isFormatCharacter(code)) continue;
    EXPECT_TRUE(SymbolFallback::canDraw(c.log->font(), symbol(code)))
        << "U+" << QString::number(code, 16).toUpper().toStdString() << " would be a box";
  }
}
