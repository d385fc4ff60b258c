#pragma once
// Driving the profile wizard's windows in tests: controls by id, user actions, modal dialogs
// answered when they appear, and records compared field by field.

#include "profiles/ProfileRecord.h"
#include "ui/ControlId.h"
#include "profiles/ProfileText.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

namespace tembrel::testing {

template <typename W>
W* Control(QWidget* root, int id) {
    return ui::ControlById<W>(*root, id);
}

// As the user types: every character is a key press (textEdited follows each).
inline void Type(QWidget* root, int id, const QString& text, bool clearFirst = true) {
    auto* edit = Control<QLineEdit>(root, id);
    ASSERT_NE(edit, nullptr) << id;
    if (clearFirst) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
    }
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(edit, QString(c));
        } else {  // QTest types ASCII only; other characters arrive as a key event carrying their text
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &press);
        }
    }
}

// As the user picks an entry of a drop-down list.
inline void Choose(QWidget* root, int id, qlonglong value) {
    auto* combo = Control<QComboBox>(root, id);
    ASSERT_NE(combo, nullptr) << id;
    const int index = combo->findData(value);
    ASSERT_GE(index, 0) << "list " << id << " lacks " << value;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

inline void Click(QWidget* root, int id) {
    auto* button = Control<QAbstractButton>(root, id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
}

inline qlonglong Selected(QWidget* root, int id) {
    auto* combo = Control<QComboBox>(root, id);
    return combo && combo->currentIndex() >= 0 ? combo->currentData().toLongLong() : -1;
}

// Runs `act` on the next modal dialog of type D as soon as it is up (its exec() has started).
template <typename D>
void OnModal(std::function<void(D*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start();
}

inline void ExpectSameRecord(const PROFILE_RECORD& actual, const PROFILE_RECORD& expected) {
    EXPECT_EQ(GetText(actual.name), GetText(expected.name));
    EXPECT_EQ(GetText(actual.ssid), GetText(expected.ssid));
    EXPECT_EQ(actual.hiddenSsid, expected.hiddenSsid);
    EXPECT_EQ(actual.adHocWirelessMode, expected.adHocWirelessMode);
    EXPECT_EQ(actual.networkType, expected.networkType);
    EXPECT_EQ(actual.wirelessMode, expected.wirelessMode);
    EXPECT_EQ(actual.adHocChannel, expected.adHocChannel);
    EXPECT_EQ(actual.encryption, expected.encryption);
    EXPECT_EQ(actual.authMode, expected.authMode);
    EXPECT_EQ(actual.wep.txKeyIndex, expected.wep.txKeyIndex);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(actual.wep.keys[k].length, expected.wep.keys[k].length) << "key " << k + 1;
        EXPECT_EQ(std::memcmp(actual.wep.keys[k].material, expected.wep.keys[k].material, 32), 0) << "key " << k + 1;
    }
    EXPECT_EQ(actual.useDhcp, expected.useDhcp);
    EXPECT_EQ(actual.keepAdapterSettings, expected.keepAdapterSettings);
    EXPECT_EQ(actual.powerSaveMode, expected.powerSaveMode);
    EXPECT_EQ(actual.preamble, expected.preamble);
    EXPECT_EQ(actual.txRate, expected.txRate);
    EXPECT_EQ(actual.fragThreshold, expected.fragThreshold);
    EXPECT_EQ(actual.rtsThreshold, expected.rtsThreshold);
    EXPECT_EQ(actual.inPreferList, expected.inPreferList);
    EXPECT_EQ(std::string(actual.passphrase, 128), std::string(expected.passphrase, 128));
    EXPECT_EQ(actual.passphraseLength, expected.passphraseLength);
    EXPECT_EQ(GetText(actual.loginName), GetText(expected.loginName));
    EXPECT_EQ(GetText(actual.password), GetText(expected.password));
    EXPECT_EQ(GetText(actual.domain), GetText(expected.domain));
    EXPECT_EQ(GetText(actual.certificateName), GetText(expected.certificateName));
    EXPECT_EQ(std::memcmp(actual.certificateHash, expected.certificateHash, 20), 0);
    EXPECT_EQ(GetText(actual.anonymousName), GetText(expected.anonymousName));
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0) << "reserved areas and padding bytes";
}

}  // namespace tembrel::testing
