#pragma once

// The Preferences page over the Preferences model: every click goes to the model, which sets the
// setting, writes its key and tells who depends on it; the page then shows the model again.
// User-interface thread only.

#include <QWidget>
#include <functional>

#include "shell/preferences.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kestrum {

class PreferencesPage : public QWidget {
    Q_OBJECT

  public:
    PreferencesPage(Preferences& model, QWidget* parent = nullptr);

    // The account file dialog, replaceable for tests; an empty path: cancelled.
    using FileQuestion = std::function<QString(const QString& current)>;
    void SetAccountFileQuestion(FileQuestion question) { askAccountFile_ = std::move(question); }

    // The model to the widgets.
    void Push();

  private:
    Preferences& model_;
    FileQuestion askAccountFile_;

    QRadioButton* device_ = nullptr;
    QRadioButton* ksl_ = nullptr;
    QRadioButton* metric_ = nullptr;
    QRadioButton* english_ = nullptr;
    QRadioButton* autoCadOn_ = nullptr;
    QRadioButton* autoCadOff_ = nullptr;
    QCheckBox* jobTicket_ = nullptr;
    QPushButton* accountFile_ = nullptr;
    QLabel* accountPath_ = nullptr;
    QCheckBox* eoj_ = nullptr;
    QCheckBox* folderOptions_ = nullptr;
    QCheckBox* hardware_ = nullptr;
    QRadioButton* plotTarget_ = nullptr;
    QRadioButton* configTarget_ = nullptr;
    QRadioButton* noTarget_ = nullptr;
    QComboBox* places_ = nullptr;
    QLabel* folder_ = nullptr;
    QListWidget* subFolders_ = nullptr;
    QListWidget* files_ = nullptr;
};

}  // namespace kestrum
