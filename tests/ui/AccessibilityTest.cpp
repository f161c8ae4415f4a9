// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tessaro developers

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "ViewFixture.h"
#include "ui/ElidingLabel.h"

using namespace tessaro;
using namespace tessaro::test;

namespace {

std::unique_ptr<ContentView> settledView(const char* drives) {
  auto view = makeView(drives);
  view->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));
  return view;
}

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

TEST(Accessibility, TabFollowsTheLayoutAndMnemonicsReachTheControls) {
  auto view = settledView("2");
  Controls c(*view);
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  c.refresh->setFocus(Qt::TabFocusReason);

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
  QTest::keyClick(view.get(), Qt::Key_R, Qt::AltModifier);
  // Pressed as by a click, released later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return view->statusLog() == "Refreshing drives..."; }))
      << view->statusLog().toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));

  // The drawn title leaves the "&" out and keeps its width.
  StyledButton plain("Show Info", std::make_shared<PrimaryButtonStyle>()),
      marked("Show &Info", std::make_shared<PrimaryButtonStyle>());
  const QString longTitle(40, QLatin1Char('W'));
  StyledButton longPlain(longTitle, std::make_shared<PrimaryButtonStyle>()),
      longMarked("&" + longTitle, std::make_shared<PrimaryButtonStyle>());
  EXPECT_EQ(marked.sizeHint(), plain.sizeHint());
  EXPECT_EQ(longMarked.sizeHint(), longPlain.sizeHint());
}

TEST(Accessibility, ReturnInTheNameFieldNeverStartsAFormat) {
  auto view = settledView("2");
  Controls c(*view);
  int asked = 0;
  view->setConfirmation([&](const Drive&) {
    ++asked;
    return false;
  });
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  c.volume->setFocus();
  QTest::keyClicks(c.volume, "stick");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(c.volume, key);
  QTest::qWait(50);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(view->isBusy());
  EXPECT_EQ(view->statusLog(), ContentView::welcomeText());
  EXPECT_EQ(view->label(), "stick");
}

TEST(Accessibility, AnEmptyPickerSaysWhyUntilADriveAppears) {
  auto view = settledView("0");
  Controls c(*view);
  EXPECT_EQ(c.picker->count(), 0) << "the hint is no entry";
  EXPECT_EQ(c.picker->currentIndex(), -1);
  EXPECT_EQ(c.picker->placeholderText(),
            QString::fromUtf8("No external drive found — plug one in"));
  EXPECT_EQ(c.enabledButtons(), "refresh");

  attachDrives("1");
  c.refresh->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000))
      << "still not so after 10000 ms: !view->isBusy()";
  EXPECT_EQ(c.picker->count(), 1);
  EXPECT_TRUE(c.picker->placeholderText().isEmpty());
  view->setSelectedDrive(std::nullopt);
  EXPECT_EQ(c.picker->currentIndex(), -1);
  EXPECT_TRUE(c.picker->placeholderText().isEmpty()) << "drives there, none chosen: no hint";
}

// Under the field, as typed: the name a format writes, or the reason it would
// refuse the name; the field itself takes any text.
TEST(Accessibility, TheNameHintSaysWhatAFormatWouldWriteOrWhyNot) {
  auto view = settledView("2");
  Controls c(*view);
  auto* hint = child<ElidingLabel>(*view, "volumeHint");
  EXPECT_EQ(hint->text(), "Written as: UNTITLED");
  const struct {
    const char* typed;
    const char* hint;
  } cases[] = {
      {"My USB", "Written as: MY USB"},
      {"   ", "Written as: UNTITLED"},
      {"elevenchars", "Written as: ELEVENCHARS"},
      {"seventeen chars x", "is 17 characters long; FAT32 allows at most 11."},
      {"a*b", "may not contain"},
      {"Café", "only printable ASCII characters"},
      {" lead", "may not begin with a blank"},
      {"no name", "\"NO NAME\" is how a drive without a name reads"},
  };
  c.volume->setFocus();
  for (const auto& row : cases) {
    c.volume->clear();
    // Typed one key at a time, as a keyboard layout with é sends it.
    for (const QChar key : QString::fromUtf8(row.typed)) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
      QApplication::sendEvent(c.volume, &press);
    }
    EXPECT_EQ(c.volume->text(), QString::fromUtf8(row.typed)) << "the field keeps what is typed";
    EXPECT_TRUE(hint->text().contains(QString::fromUtf8(row.hint)))
        << row.typed << ": " << hint->text().toStdString();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->toolTip(), hint->text()) << "the whole text where the line is cut short";
  }
}

// Return and Enter press the focused button as Space does.
TEST(Accessibility, ReturnAndEnterPressTheFocusedButton) {
  auto view = settledView("2");
  Controls c(*view);
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
  int asked = 0;
  view->setConfirmation([&](const Drive&) {
    ++asked;
    return false;
  });
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    c.format->setFocus();
    QTest::keyClick(c.format, key);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == key == Qt::Key_Return ? 1 : 2; }))
        << "waited for asked";
  }
  c.refresh->setFocus();
  QTest::keyClick(c.refresh, Qt::Key_Enter);
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->statusLog() == "Refreshing drives..."; }))
      << "waited for view->statusLog()";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view->isBusy(); }, 10000));
}
