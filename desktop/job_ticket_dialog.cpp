#include "desktop/job_ticket_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "desktop/page_binder.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Str(int resource) {
    const std::string_view text = LoadResourceString(resource);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr std::array<int, kTicketFieldCount> kLabels{rid::kTicketLabelA, rid::kTicketLabelB,
                                                     rid::kTicketLabelC, rid::kTicketLabelD,
                                                     rid::kTicketLabelE, rid::kTicketLabelF};

QLineEdit* EditOf(QWidget* field) {
    if (auto* combo = qobject_cast<QComboBox*>(field)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(field);
}

}  // namespace

JobTicketDialog::JobTicketDialog(JobTicket& ticket, QWidget* parent)
    : QDialog(parent), ticket_(ticket) {
    setWindowTitle(Str(rid::kTicketTitle));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < kTicketFieldCount; ++i) {
        const TicketFieldInfo& info = kTicketFields[i];
        QWidget* field = nullptr;
        if (i < 4) {
            field = new QLineEdit;
        } else {
            auto* combo = new QComboBox;
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(Str(i == 4 ? rid::kTicketListE : rid::kTicketListF).split(';'));
            field = combo;
        }
        SetControlId(field, info.control);
        field->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
        // The model cuts bytes; the field keeps typing within the same bound for plain text.
        EditOf(field)->setMaxLength(static_cast<int>(info.longest));
        EditOf(field)->setText(QString::fromStdString(ticket_.texts()[i]));
        auto* label = new QLabel(Str(kLabels[i]));
        label->setBuddy(field);
        form->addRow(label, field);
        fields_[i] = field;
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    fields_[0]->setFocus();
}

TicketTexts JobTicketDialog::Entered() const {
    TicketTexts texts;
    for (std::size_t i = 0; i < kTicketFieldCount; ++i) {
        texts[i] = EditOf(fields_[i])->text().toStdString();
    }
    return texts;
}

void JobTicketDialog::accept() {
    ticket_.Confirm(Entered());
    QDialog::accept();
}

}  // namespace kestrum
