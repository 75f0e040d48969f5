#pragma once
// The small window that shows the lists of names remembered, to add and
// remove them (Ctrl+Shift+N).

#include <QDialog>

class MainWindow;
class QListWidget;

class NameListsDialog : public QDialog {
public:
    explicit NameListsDialog(MainWindow& window);

    // Adds the file as a drop would; Remove forgets the selected one.
    void Add(const QString& fileName);
    void RemoveSelected();

private:
    void AskAndAdd();
    void Fill();

    MainWindow& window_;
    QListWidget* list_;
};

// The shortcut that opens the dialog.
void AddNameListsAction(MainWindow& window);
