#pragma once

// The assignment dialog: which configuration one launch-list entry is sent with: the current
// settings, none, or a configuration file. The choice rules are the launch-list model's
// (ChoiceFor, FileChoiceText); the dialog only mirrors them.

#include <QDialog>
#include <QString>
#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrum {

class AssignmentDialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kPathField = 1102;
    static constexpr int kConfigurationField = 1103;
    static constexpr int kCurrentSettingsButton = 1097;
    static constexpr int kNoConfigurationButton = 1098;
    static constexpr int kFileButton = 1099;
    static constexpr int kBrowseButton = 1100;

    // Asks for an existing configuration file, starting in the folder given; empty when the
    // user cancelled. Tests replace the file dialog with their own answer.
    using FileChooser = std::function<QString(QWidget* parent, const QString& startFolder)>;

    AssignmentDialog(const QString& filePath, const QString& configuration,
                     const QString& configFolder, QWidget* parent = nullptr);

    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The configuration chosen: what the field shows.
    QString configuration() const;

  private:
    void Choose(int button);
    void Browse();

    QString original_;
    QString configFolder_;
    FileChooser chooser_;
    QLineEdit* field_ = nullptr;
    QRadioButton* current_ = nullptr;
    QRadioButton* none_ = nullptr;
    QRadioButton* file_ = nullptr;
    QPushButton* browse_ = nullptr;
};

}  // namespace kestrum
