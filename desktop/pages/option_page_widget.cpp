#include "desktop/pages/option_page_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shell/language_strings.h"

namespace kestrum {

OptionPageWidget::OptionPageWidget(OptionPage& model, CUserObject& values, MessageSink& messages,
                                   QWidget* parent)
    : QWidget(parent), binder_(model, values, messages, this) {
    connect(&binder_, &PageBinder::Applied, this, [this] { Pushed(); });
}

void OptionPageWidget::Bind() {
    binder_.BindAll(this);
    Pushed();
}

void OptionPageWidget::Push() {
    binder_.Push();
    Pushed();
}

void OptionPageWidget::Refresh() {
    binder_.Refresh();
    Pushed();
}

void OptionPageWidget::Pushed() {
    // A label reads as disabled with the field it names.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) label->setEnabled(label->buddy()->isEnabled());
    }
    AfterPush();
}

void OptionPageWidget::Export() const {
    binder_.Export();
}

QWidget* OptionPageWidget::Control(int id) const {
    return findChild<QWidget*>(QStringLiteral("control%1").arg(id));
}

QString OptionPageWidget::Text(int resource) {
    return QString::fromUtf8(LoadResourceString(resource));
}

QComboBox* OptionPageWidget::MakeList(int id) {
    auto* box = new QComboBox(this);
    // Long lists (255 folding programs) scroll rather than cover the screen.
    box->setMaxVisibleItems(20);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(8);
    SetControlId(box, id);
    return box;
}

QCheckBox* OptionPageWidget::MakeCheck(int id, int text) {
    auto* box = new QCheckBox(Text(text), this);
    SetControlId(box, id);
    return box;
}

QLineEdit* OptionPageWidget::MakeEdit(int id) {
    auto* edit = new QLineEdit(this);
    SetControlId(edit, id);
    return edit;
}

QRadioButton* OptionPageWidget::MakeRadio(int id, int text) {
    auto* radio = new QRadioButton(Text(text), this);
    SetControlId(radio, id);
    return radio;
}

QPushButton* OptionPageWidget::MakeButton(int id, int text) {
    auto* button = new QPushButton(Text(text), this);
    SetControlId(button, id);
    return button;
}

QLabel* OptionPageWidget::MakeLabel(int id) {
    auto* label = new QLabel(this);
    SetControlId(label, id);
    return label;
}

QGroupBox* OptionPageWidget::MakeGroup(int title) {
    return new QGroupBox(Text(title));
}

void OptionPageWidget::AddRow(QFormLayout* form, int label, QWidget* field, QWidget* unit) {
    auto* name = new QLabel(Text(label));
    name->setBuddy(field);
    field->setAccessibleName(name->text().remove(QLatin1Char('&')));
    if (unit == nullptr) {
        form->addRow(name, field);
        return;
    }
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(unit);
    form->addRow(name, row);
}

}  // namespace kestrum
