#pragma once

// Binds an option page model to its widgets through the model's control table, so that no page
// needs glue per control. Each widget carries its control id in the property "controlId" (and as
// its object name, "control<id>"), which is also how tests find a control by its number.
//
// The binder pushes the model's state to the widgets after every action with the widgets' signals
// blocked, so a pushed value never comes back as a user action, and routes each user action to
// the model as one ControlEvent. User-interface thread only.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

#include "options/option_page.h"

namespace kestrum {

inline constexpr const char* kControlIdProperty = "controlId";

// Gives `widget` its control id (property and object name).
void SetControlId(QWidget* widget, int id);
int ControlIdOf(const QObject* widget);

class PageBinder : public QObject {
    Q_OBJECT

  public:
    // The binder keeps references to all three; they must outlive it.
    PageBinder(OptionPage& page, CUserObject& values, MessageSink& messages,
               QObject* parent = nullptr);

    // Binds every widget below `root` that carries a control id the page lists. A listed control
    // without a widget, or a widget whose type does not fit its control's kind, is a programming
    // error: reported with qWarning and left unbound. Returns the number of controls bound.
    int BindAll(QWidget* root);

    // The model's state to every bound widget.
    void Push();

    // The values to the page, then to the widgets (a configuration was loaded).
    void Refresh();
    // The page's state to the values.
    void Export() const;

    OptionPage& page() { return page_; }

  signals:
    // After a user action was taken by the model and pushed back to the widgets.
    void Applied(int controlId);
    // A button the model does not handle itself (it opens a window): the front end's to act on.
    void ButtonClicked(int controlId);

  private:
    struct Binding {
        PageControl control;
        QPointer<QWidget> widget;
    };

    void Connect(const Binding& binding);
    void Route(const ControlEvent& event);
    static void PushOne(const Binding& binding);

    OptionPage& page_;
    CUserObject& values_;
    MessageSink& messages_;
    std::vector<Binding> bindings_;
};

}  // namespace kestrum
