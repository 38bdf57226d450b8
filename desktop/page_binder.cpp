#include "desktop/page_binder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QValidator>
#include <QtGlobal>
#include <utility>

namespace kestrum {

namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

bool SameEntries(const QComboBox* box, const std::vector<std::string>& entries) {
    if (box->count() != static_cast<int>(entries.size())) return false;
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i) != ToQt(entries[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

bool SameEntries(const QListWidget* list, const std::vector<std::string>& entries) {
    if (list->count() != static_cast<int>(entries.size())) return false;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() != ToQt(entries[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

void PushList(const ListControl& list, QWidget* widget) {
    QStringList entries;
    for (const auto& e : list.entries) entries << ToQt(e);
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        // Refilling a list the user is looking at loses its scroll position: only when it changed.
        if (!SameEntries(box, list.entries)) {
            box->clear();
            box->addItems(entries);
        }
        box->setCurrentIndex(list.selected);
    } else if (auto* view = qobject_cast<QListWidget*>(widget)) {
        if (!SameEntries(view, list.entries)) {
            view->clear();
            view->addItems(entries);
        }
        view->setCurrentRow(list.selected);
    }
    widget->setEnabled(list.enabled);
}

// Takes a text when the page's field takes every character of it.
class AcceptingValidator final : public QValidator {
  public:
    AcceptingValidator(std::function<bool(char)> accepts, QObject* parent)
        : QValidator(parent), accepts_(std::move(accepts)) {}

    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            if (c.unicode() > 0x7f || !accepts_(static_cast<char>(c.unicode()))) return Invalid;
        }
        return Acceptable;
    }

  private:
    std::function<bool(char)> accepts_;
};

bool FitsKind(PageControl::Kind kind, QWidget* widget) {
    switch (kind) {
        case PageControl::Kind::List:
            return qobject_cast<QComboBox*>(widget) || qobject_cast<QListWidget*>(widget);
        case PageControl::Kind::Check:
            return qobject_cast<QCheckBox*>(widget);
        case PageControl::Kind::Edit:
            return qobject_cast<QLineEdit*>(widget);
        case PageControl::Kind::Radio:
            return qobject_cast<QRadioButton*>(widget);
        case PageControl::Kind::Button:
            return qobject_cast<QAbstractButton*>(widget);
        case PageControl::Kind::Label:
            return qobject_cast<QLabel*>(widget);
    }
    return false;
}

}  // namespace

void SetControlId(QWidget* widget, int id) {
    widget->setProperty(kControlIdProperty, id);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
}

int ControlIdOf(const QObject* widget) {
    const QVariant id = widget->property(kControlIdProperty);
    return id.isValid() ? id.toInt() : 0;
}

PageBinder::PageBinder(OptionPage& page, CUserObject& values, MessageSink& messages,
                       QObject* parent)
    : QObject(parent), page_(page), values_(values), messages_(messages) {}

int PageBinder::BindAll(QWidget* root) {
    bindings_.clear();
    const auto widgets = root->findChildren<QWidget*>();
    for (const PageControl& control : page_.Controls()) {
        QWidget* found = nullptr;
        for (QWidget* w : widgets) {
            if (ControlIdOf(w) == control.id) {
                found = w;
                break;
            }
        }
        if (found == nullptr || !FitsKind(control.kind, found)) {
            qWarning("option page: control %d has no fitting widget", control.id);
            continue;
        }
        if (control.accepts) {
            // Characters the field does not take are refused as they are typed or pasted.
            if (auto* edit = qobject_cast<QLineEdit*>(found)) {
                edit->setValidator(new AcceptingValidator(control.accepts, edit));
            }
        }
        bindings_.push_back({control, found});
        Connect(bindings_.back());
    }
    Push();
    return static_cast<int>(bindings_.size());
}

void PageBinder::Connect(const Binding& binding) {
    const int id = binding.control.id;
    QWidget* widget = binding.widget;
    switch (binding.control.kind) {
        case PageControl::Kind::List:
            if (auto* box = qobject_cast<QComboBox*>(widget)) {
                connect(box, &QComboBox::activated, this, [this, id](int index) {
                    Route({id, ControlEvent::Kind::Select, index, false, {}});
                });
            } else if (auto* view = qobject_cast<QListWidget*>(widget)) {
                connect(view, &QListWidget::currentRowChanged, this, [this, id](int row) {
                    Route({id, ControlEvent::Kind::Select, row, false, {}});
                });
            }
            break;
        case PageControl::Kind::Check:
        case PageControl::Kind::Radio:
            connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                    [this, id](bool checked) {
                        Route({id, ControlEvent::Kind::Toggle, -1, checked, {}});
                    });
            break;
        case PageControl::Kind::Edit:
            connect(qobject_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
                    [this, id](const QString& text) {
                        Route({id, ControlEvent::Kind::Edit, -1, false, text.toStdString()});
                    });
            break;
        case PageControl::Kind::Button:
            connect(qobject_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                    [this, id] {
                        Route({id, ControlEvent::Kind::Click, -1, false, {}});
                    });
            break;
        case PageControl::Kind::Label:
            break;
    }
}

void PageBinder::Route(const ControlEvent& event) {
    if (event.kind == ControlEvent::Kind::Click) {
        if (!page_.Apply(event, values_, messages_)) {
            emit ButtonClicked(event.id);
            Push();
            return;
        }
    } else if (!page_.Apply(event, values_, messages_)) {
#ifndef NDEBUG
        qWarning("option page: control %d did not take the user's action", event.id);
#endif
    }
    Push();
    emit Applied(event.id);
}

void PageBinder::Push() {
    for (const Binding& binding : bindings_) {
        if (binding.widget) PushOne(binding);
    }
}

void PageBinder::PushOne(const Binding& binding) {
    const PageControl& c = binding.control;
    QWidget* widget = binding.widget;
    const QSignalBlocker blocker(widget);
    switch (c.kind) {
        case PageControl::Kind::List:
            PushList(*c.list, widget);
            break;
        case PageControl::Kind::Check: {
            auto* box = qobject_cast<QCheckBox*>(widget);
            box->setChecked(c.check->checked);
            box->setEnabled(c.check->enabled);
            break;
        }
        case PageControl::Kind::Edit: {
            auto* edit = qobject_cast<QLineEdit*>(widget);
            // Setting the same text again would move the cursor to the end while the user types.
            if (edit->text() != ToQt(c.edit->text)) edit->setText(ToQt(c.edit->text));
            edit->setEnabled(c.edit->enabled);
            break;
        }
        case PageControl::Kind::Radio: {
            auto* radio = qobject_cast<QRadioButton*>(widget);
            // Radios of one group may sit in different Qt parents: exclusivity is the model's.
            radio->setAutoExclusive(false);
            radio->setChecked(c.radio->chosen == c.id);
            radio->setEnabled(c.radio->enabled && (c.enabled == nullptr || *c.enabled));
            break;
        }
        case PageControl::Kind::Button:
            widget->setEnabled(c.enabled == nullptr || *c.enabled);
            break;
        case PageControl::Kind::Label:
            if (c.text != nullptr) qobject_cast<QLabel*>(widget)->setText(ToQt(*c.text));
            // A picture label draws the icon named by its "picture" property.
            if (c.picture != nullptr) widget->setProperty("picture", *c.picture);
            if (c.enabled != nullptr) widget->setEnabled(*c.enabled);
            break;
    }
}

void PageBinder::Refresh() {
    page_.Refresh(values_, messages_);
    Push();
}

void PageBinder::Export() const {
    page_.Export(values_);
}

}  // namespace kestrum
