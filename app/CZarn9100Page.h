#pragma once
// The base of every page of the main window.

#include <QString>
#include <QWidget>

namespace tembrel {

class CZarn9100Sheet;

class CZarn9100Page : public QWidget {
    Q_OBJECT
public:
    CZarn9100Page(CZarn9100Sheet& sheet, const QString& caption, int dialogId, QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    int dialogId() const { return dialogId_; }
    CZarn9100Sheet& sheet() const { return sheet_; }

    // Adapter usable (1) or not (0). The base only clears its adapter-state field; pages that
    // show live data keep the negation of the argument.
    virtual void OnAdapterState(int usable);
    int adapterState() const { return adapterState_; }

    // A library event or a program event forwarded by the sheet (code, second parameter).
    virtual void OnLibraryEvent(quintptr code, qintptr param, const QString& text);

    // Page activation, as a property sheet selects and leaves pages.
    virtual void OnSetActive() {}
    virtual bool OnKillActive() { return true; }  // false keeps the page selected
    virtual void OnOK() {}
    virtual void OnCancel() {}

protected:
    int adapterState_ = 0;

private:
    CZarn9100Sheet& sheet_;
    QString caption_;
    int dialogId_;
};

}  // namespace tembrel
