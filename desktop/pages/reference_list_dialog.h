#pragma once

// The external-reference folders dialog: an editable list of folders (entries added through the
// folder dialog, changed in place or through it, removed, moved up and down). It opens with the
// master copy from the settings file; OK writes the master copy and replaces the working copy
// (options/xref_list.h, ReferenceListDialog).

#include <QDialog>
#include <QListWidget>
#include <filesystem>
#include <functional>

#include "options/xref_list.h"

namespace kestrum {

// A list whose entries are edited in place (double click or F2), and which tells whether an edit
// is open.
class EditableFolderList final : public QListWidget {
    Q_OBJECT

  public:
    explicit EditableFolderList(QWidget* parent = nullptr);
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    void AddEntry(const QString& text);
};

class ReferenceListDialogWidget final : public QDialog {
    Q_OBJECT

  public:
    // `working` and `messages` must outlive the dialog.
    ReferenceListDialogWidget(ReferenceList& working, std::filesystem::path settingsFile,
                              MessageSink& messages, QWidget* parent = nullptr);

    EditableFolderList* folderList() const { return list_; }

    // Asks for a folder, starting at the given one; empty when the user cancels. The desktop's
    // folder dialog unless replaced (tests).
    std::function<QString(QWidget* parent, const QString& start)> chooseFolder;

    void accept() override;

  private:
    void Add();
    void Change();
    void Remove();
    void Move(int by);

    ReferenceList& working_;
    MessageSink& messages_;
    ReferenceListDialog model_;
    EditableFolderList* list_;
};

}  // namespace kestrum
