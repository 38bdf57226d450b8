#include "desktop/assignment_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/page_binder.h"
#include "launch/launch_list.h"
#include "shell/language_strings.h"
#include "shell/resource_ids.h"

namespace kestrum {

namespace {

QString Str(int resource) {
    const std::string_view text = LoadResourceString(resource);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString DefaultChooser(QWidget* parent, const QString& startFolder) {
    return QFileDialog::getOpenFileName(parent, Str(rid::kChooseConfigurationTitle), startFolder,
                                        Str(rid::kConfigFileFilter));
}

}  // namespace

AssignmentDialog::AssignmentDialog(const QString& filePath, const QString& configuration,
                                   const QString& configFolder, QWidget* parent)
    : QDialog(parent),
      original_(configuration),
      configFolder_(configFolder),
      chooser_(DefaultChooser) {
    setWindowTitle(Str(rid::kAssignTitle));
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    auto* path = new QLineEdit(filePath);
    path->setReadOnly(true);
    path->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    SetControlId(path, kPathField);
    auto* pathLabel = new QLabel(Str(rid::kAssignPlotFileLabel));
    pathLabel->setBuddy(path);
    form->addRow(pathLabel, path);
    layout->addLayout(form);

    auto* group = new QGroupBox(Str(rid::kAssignChoiceGroup));
    auto* groupLayout = new QVBoxLayout(group);
    current_ = new QRadioButton(Str(rid::kAssignCurrentChoice));
    none_ = new QRadioButton(Str(rid::kAssignNoneChoice));
    file_ = new QRadioButton(Str(rid::kAssignFileChoice));
    SetControlId(current_, kCurrentSettingsButton);
    SetControlId(none_, kNoConfigurationButton);
    SetControlId(file_, kFileButton);
    groupLayout->addWidget(current_);
    groupLayout->addWidget(none_);
    groupLayout->addWidget(file_);
    auto* fileRow = new QHBoxLayout;
    field_ = new QLineEdit(configuration);
    SetControlId(field_, kConfigurationField);
    field_->setAccessibleName(Str(rid::kAssignConfigurationLabel));
    field_->setMinimumWidth(fontMetrics().averageCharWidth() * 45);
    browse_ = new QPushButton(Str(rid::kAssignBrowseButton));
    browse_->setIcon(QIcon::fromTheme(QStringLiteral("document-open")));
    SetControlId(browse_, kBrowseButton);
    fileRow->addSpacing(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));
    fileRow->addWidget(field_, 1);
    fileRow->addWidget(browse_);
    groupLayout->addLayout(fileRow);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(current_, &QRadioButton::clicked, this, [this] { Choose(kCurrentSettingsButton); });
    connect(none_, &QRadioButton::clicked, this, [this] { Choose(kNoConfigurationButton); });
    connect(file_, &QRadioButton::clicked, this, [this] { Choose(kFileButton); });
    connect(browse_, &QPushButton::clicked, this, &AssignmentDialog::Browse);

    // Opening shows the entry's configuration as it is, whichever choice it stands for.
    switch (ChoiceFor(configuration.toStdString())) {
        case ConfigurationChoice::CurrentSettings:
            current_->setChecked(true);
            break;
        case ConfigurationChoice::NoConfiguration:
            none_->setChecked(true);
            break;
        case ConfigurationChoice::File:
            file_->setChecked(true);
            break;
    }
    const bool isFile = file_->isChecked();
    browse_->setEnabled(isFile);
    field_->setReadOnly(!isFile);
}

void AssignmentDialog::Choose(int button) {
    const bool isFile = button == kFileButton;
    browse_->setEnabled(isFile);
    field_->setReadOnly(!isFile);
    if (button == kCurrentSettingsButton) {
        field_->setText(Str(rid::kCurrentSettingsChoice));
    } else if (button == kNoConfigurationButton) {
        field_->setText(Str(rid::kNoConfigurationChoice));
    } else {
        field_->setText(QString::fromStdString(FileChoiceText(original_.toStdString())));
    }
}

void AssignmentDialog::Browse() {
    const QString chosen = chooser_ ? chooser_(this, configFolder_) : QString();
    if (!chosen.isEmpty()) field_->setText(chosen);
}

QString AssignmentDialog::configuration() const {
    return field_->text();
}

}  // namespace kestrum
