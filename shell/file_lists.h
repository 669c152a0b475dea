#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QStringList>

// The drive, folder and file lists of the file-picking windows. On this
// system the "drives" are the file system's root, the home folder and the
// mounted volumes.

class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);
    QString drive() const;
    // Selects the drive that holds the folder, without signalling.
    void showFolder(const QString& folder);

  signals:
    void driveChanged(const QString& root);
};

// A folder and its subfolders; double-clicking an entry opens it.
class DirList : public QListWidget {
    Q_OBJECT
  public:
    explicit DirList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    void setPath(const QString& folder);

  signals:
    void pathChanged(const QString& folder);

  private:
    QString path_;
};

// The files of a folder that match a pattern such as "*.dat;*.prj" (ignoring
// case, as the project files come from systems that ignore it).
class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    QString pattern() const { return pattern_; }
    void setPath(const QString& folder);
    void setPattern(const QString& pattern);
    QStringList fileNames() const;
    // The highlighted file name, empty when none.
    QString fileName() const;

  private:
    void refill();
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};
