#include "DialogCatalog.h"

#include "CredentialDialogs.h"

#include "app/CZarn9100Sheet.h"
#include "connection/SupervisorRoutine.h"
#include "pages/autolink/CAutoLinkDlg.h"
#include "pages/profiles/CAdminTool.h"
#include "pages/profiles/CProfileManager.h"
#include "pages/profiles/CProfileWizard.h"
#include "pages/profiles/CWepKeyDlg.h"
#include "platform/Settings.h"
#include "profiles/ProfileDefaults.h"
#include "profiles/ProfileText.h"
#include "pages/survey/CSiteSurvey.h"
#include "platform/gui/DialogService.h"
#include "ui/CountdownBox.h"
#include "ui/QtDialogClock.h"
#include "ui/ControlId.h"

#include <QAbstractButton>
#include <QPointer>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

namespace tembrel::gallery {

namespace {

// A record as a user would have filled the wizard in: WPA2-PSK with a passphrase.
ProfilePtr SampleProfile() {
    PROFILE_RECORD r = MakeDefaultProfile();
    SetProfileName(r, "Home");
    SetProfileSsid(r, "Home-WPA2");
    r.authMode = 9;
    r.encryption = 3;
    r.keepAdapterSettings = 0;
    r.txRate = 108;
    WritePassphrase(r, "correct horse battery");
    return NewProfileCopy(r);
}

// The profile wizard opened directly on the window (the Profile Manager page that opens it is
// not there yet), on page `index` of its mode.
DialogPreparer Wizard(CProfileWizard::Mode mode, int index) {
    return [=](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
        return [&sheet, mode, index] {
            PageContext& context = sheet.pageContext();
            if (mode == CProfileWizard::Mode::Pane) {
                // The pane as the Profile Manager page's "Profile Setting" frame holds it.
                QDialog host(&sheet);
                host.setWindowTitle("Profile Setting");
                auto* layout = new QVBoxLayout(&host);
                auto* pane = new CProfileWizard(mode, context, &host);
                layout->addWidget(pane);
                pane->LoadProfileIntoPages(SampleProfile());
                pane->showPage(index);
                host.resize(360, 330);
                host.exec();
                return;
            }
            CProfileWizard wizard(mode, context, &sheet);
            if (mode == CProfileWizard::Mode::Configure) {
                ProfilePtr record = SampleProfile();
                record->authMode = 101;  // as the site survey leaves a WPA2 802.1x network
                wizard.LoadProfileIntoPages(record);
            } else if (index > 0) {
                wizard.LoadProfileIntoPages(SampleProfile());
            }
            wizard.showPage(index);
            wizard.exec();
        };
    };
}

// The WEP key dialog in a key format, on a set with a stored 104-bit key.
DialogPreparer WepKeys(int format) {
    return [=](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
        return [&sheet, format] {
            Settings& settings = sheet.pageContext().settings();
            const int previous = settings.read(settings::kWepKeyFmt);
            settings.write(settings::kWepKeyFmt, format);
            WEP_KEY_SET keys{};
            keys.txKeyIndex = 1;
            keys.keys[0].length = 13;
            std::memcpy(keys.keys[0].material, "orvixwepkey13", 13);
            CWepKeyDlg dialog(keys, settings, sheet.pageContext().dialogs(), &sheet);
            dialog.exec();
            settings.write(settings::kWepKeyFmt, previous);
        };
    };
}

// A message box as the program shows it, through the window's dialog service.
DialogPreparer Message(const QString& text, MessageIcon icon, bool question = false) {
    return [=](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
        return [&sheet, text, icon, question] {
            if (question)
                sheet.pageContext().dialogs().askYesNo(&sheet, text, icon);
            else
                sheet.pageContext().dialogs().showMessage(&sheet, text, icon);
        };
    };
}

// The wizard's Create mode on a record of another kind: ad hoc, or WEP.
DialogPreparer WizardFor(int index, bool adHoc) {
    return [=](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
        return [&sheet, index, adHoc] {
            PROFILE_RECORD r = MakeDefaultProfile();
            SetProfileName(r, adHoc ? "Meeting" : "Lab");
            SetProfileSsid(r, adHoc ? "PeerNet" : "Lab-WEP64");
            if (adHoc) {
                r.networkType = 0;
            } else {
                r.authMode = 0;
                r.encryption = 1;
                r.wep.txKeyIndex = 1;
                r.wep.keys[0].length = 5;
                std::memcpy(r.wep.keys[0].material, "\x12\x34\x56\x78\x90", 5);
            }
            CProfileWizard wizard(CProfileWizard::Mode::Create, sheet.pageContext(), &sheet);
            wizard.LoadProfileIntoPages(NewProfileCopy(r));
            wizard.showPage(index);
            wizard.exec();
        };
    };
}

}  // namespace

std::vector<DialogEntry> DialogCatalog() {
    using Mode = CProfileWizard::Mode;
    std::vector<DialogEntry> entries = {
        {"dialog-message-box", "Message box (hot key not available)",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] { sheet.pageContext().dialogs().showMessage(&sheet, "Cannot create hotkey for Radio On/Off!!"); };
         }},
        {"dialog-create-profile", "Profile Manager: Create New Profile", ButtonOnPage(CProfileManager::kDialogId, 1014)},
        {"dialog-wizard-create-1-network", "Create New Profile: Network Info", Wizard(Mode::Create, 0)},
        {"dialog-wizard-create-2-security", "Create New Profile: Security", Wizard(Mode::Create, 1)},
        {"dialog-wizard-create-3-protocol", "Create New Profile: Protocol", Wizard(Mode::Create, 2)},
        {"dialog-wizard-create-4-complete", "Create New Profile: Complete.", Wizard(Mode::Create, 3)},
        {"dialog-wizard-create-ad-hoc", "Create New Profile: Network Info (ad hoc)", WizardFor(0, true)},
        {"dialog-wizard-create-wep", "Create New Profile: Security (WEP)", WizardFor(1, false)},
        {"dialog-wizard-configure", "Configure Network (security of a WPA2 802.1x network)", Wizard(Mode::Configure, 1)},
        {"dialog-wizard-pane-1-network", "Profile Setting pane: Network Info", Wizard(Mode::Pane, 0)},
        {"dialog-wizard-pane-2-security", "Profile Setting pane: Security", Wizard(Mode::Pane, 1)},
        {"dialog-wizard-pane-3-protocol", "Profile Setting pane: Protocol", Wizard(Mode::Pane, 2)},
        {"dialog-wep-keys-ascii", "Configure WEP Key (ASCII characters)", WepKeys(0)},
        {"dialog-wep-keys-hex", "Configure WEP Key (hexadecimal digits)", WepKeys(1)},
        {"dialog-advanced-filter", "Site Survey: Advanced Filter", ButtonOnPage(CSiteSurvey::kDialogId, CSiteSurvey::kIdFilter)},
        {"dialog-import-profiles", "Admin: Import Profiles", ButtonOnPage(CAdminTool::kDialogId, 1081)},
        {"dialog-export-profiles", "Admin: Export Profiles", ButtonOnPage(CAdminTool::kDialogId, 1082)},
        {"dialog-auto-link", "Auto Link",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] {
                 // The dialog as the program shows it, with the card's Auto Link access points
                 // (or a sample list without a card that offers any).
                 auto candidates =
                     SearchAutoLinkCandidates(sheet.pageContext().library(), sheet.adapter().handle(), sheet.pageContext().profiles());
                 if (candidates.empty()) candidates = {{"Orvix-AutoLink-New", 36, 0, 0x21}, {"Orvix-AutoLink-Set", 30, 1, 0x22}};
                 CAutoLinkDlg dialog(sheet.pageContext(), AutoLinkDlgSetup{sheet.eventSink(), nullptr}, &sheet);
                 dialog.setCandidates(candidates);
                 dialog.exec();
             };
         }},
        {"dialog-auto-link-configured", "Auto Link (an access point configured before)",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] {
                 CAutoLinkDlg dialog(sheet.pageContext(), AutoLinkDlgSetup{sheet.eventSink(), nullptr}, &sheet);
                 dialog.setCandidates({{"Orvix-AutoLink-Set", 30, 1, 0x22}});
                 dialog.exec();
             };
         }},
        {"message-wep-size-question", "Message box: changing the WEP key size",
         Message(CWepKeyDlg::kSizeQuestion, MessageIcon::Question, true)},
        {"message-wep-key-invalid", "Message box: a WEP key of the wrong length",
         Message("Wep Key 1\r\nKey size is 40 bits.  Please enter 5 ASCII characters.", MessageIcon::Exclamation)},
        {"message-auto-link-failed", "Message box: Auto Link failed",
         Message(kAutoLinkFailedText, MessageIcon::Exclamation)},
        {"dialog-countdown-box", "Auto Link: countdown box",
         [](CZarn9100Sheet& sheet, QString&) -> DialogOpener {
             return [&sheet] {
                 ui::QtDialogClock clock;
                 ui::CountdownBox box("Auto Link is done successfully.\nPreparing to exit......", 15, clock, &sheet);
                 box.run();
             };
         }},
    };
    for (DialogEntry& entry : CredentialDialogEntries()) entries.push_back(std::move(entry));
    return entries;
}

DialogPreparer ButtonOnPage(int pageDialogId, int controlId, const QString& text) {
    return [=](CZarn9100Sheet& sheet, QString& missing) -> DialogOpener {
        CZarn9100Page* page = nullptr;
        for (auto* candidate : sheet.pageTabs().pages())
            if (candidate->dialogId() == pageDialogId) page = candidate;
        if (!page) {
            missing = QString("no page %1 in the window").arg(pageDialogId);
            return {};
        }
        QAbstractButton* button = nullptr;
        for (auto* candidate : page->findChildren<QAbstractButton*>()) {
            const bool match = controlId != 0 ? ui::ControlIdOf(*candidate) == controlId
                                              : candidate->text() == text;
            if (match) button = candidate;
        }
        if (!button) {
            missing = QString("the %1 page has no button %2 yet")
                          .arg(page->caption(), controlId != 0 ? QString::number(controlId) : text);
            return {};
        }
        if (!sheet.pageTabs().selectPage(page)) sheet.pageTabs().widget().setCurrentWidget(page->parentWidget());
        QPointer<QAbstractButton> target(button);
        return [target] {
            if (target) target->click();
        };
    };
}

}  // namespace tembrel::gallery
