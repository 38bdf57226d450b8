#pragma once

// The base of every configuration page window: a QWidget whose controls carry their control ids
// and are bound to the page model through one PageBinder. A page only lays its controls out;
// what they show and what a user action does is the model's.

#include <QWidget>

#include "desktop/page_binder.h"
#include "options/option_page.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrum {

class OptionPageWidget : public QWidget {
    Q_OBJECT

  public:
    // The three references must outlive the widget.
    OptionPageWidget(OptionPage& model, CUserObject& values, MessageSink& messages,
                     QWidget* parent = nullptr);

    OptionPage& model() { return binder_.page(); }
    PageBinder& binder() { return binder_; }

    // The model's state to the widgets: after the main window passed a printer type or a unit to
    // the model.
    void Push();
    // A configuration was loaded into the values: to the model, then to the widgets.
    void Refresh();
    // The model's state to the values (before a save or a send copies them).
    void Export() const;

    // The widget that shows control `id`, or null.
    QWidget* Control(int id) const;

  protected:
    // Binds every control made with the helpers below; the last step of a page's constructor.
    void Bind();
    // After every push to the widgets: for what a page shows beyond its bound controls.
    virtual void AfterPush() {}

    // Controls with their ids; texts are string table numbers (0: none).
    QComboBox* MakeList(int id);
    QCheckBox* MakeCheck(int id, int text);
    QLineEdit* MakeEdit(int id);
    QRadioButton* MakeRadio(int id, int text);
    QPushButton* MakeButton(int id, int text);
    QLabel* MakeLabel(int id);

    static QGroupBox* MakeGroup(int title);
    // A labelled row: the label names `field` (buddy and accessible name); `unit`, when given,
    // stands right of the field.
    static void AddRow(QFormLayout* form, int label, QWidget* field, QWidget* unit = nullptr);
    static QString Text(int resource);

  private:
    void Pushed();

    PageBinder binder_;
};

}  // namespace kestrum
