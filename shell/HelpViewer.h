#pragma once

#include <QWidget>

class QTextBrowser;
class QLabel;

// The program's help window: the HTML user guide, one topic per context
// number, with contents and index pages.
class HelpViewer : public QWidget {
    Q_OBJECT
  public:
    explicit HelpViewer(QWidget* parent = nullptr);

    void showContents();
    void showIndex();
    void showContext(int context);
    QString currentFile() const;

  private:
    void open(const QString& file);
    void applyStyleSheet(const QString& folder);

    QTextBrowser* text_;
    QLabel* status_;
};
