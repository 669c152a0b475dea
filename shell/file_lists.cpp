#include "shell/file_lists.h"

#include <QDir>
#include <QStorageInfo>
#include <algorithm>

#include "common/natural_order.h"

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    QStringList roots{QDir::rootPath(), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && !roots.contains(root) &&
            !root.startsWith(QLatin1String("/proc")) && !root.startsWith(QLatin1String("/sys")) &&
            !root.startsWith(QLatin1String("/dev")) && !root.startsWith(QLatin1String("/run"))) {
            roots.append(root);
        }
    }
    addItems(roots);
    connect(this, &QComboBox::currentTextChanged, this, &DriveList::driveChanged);
}

QString DriveList::drive() const {
    return currentText();
}

void DriveList::showFolder(const QString& folder) {
    // The longest root that holds the folder.
    int best = 0;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemText(i);
        if (folder.startsWith(root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(this);
    setCurrentIndex(best);
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString target = item->data(Qt::UserRole).toString();
        setPath(target);
        emit pathChanged(path_);
    });
}

void DirList::setPath(const QString& folder) {
    path_ = QDir::cleanPath(QDir(folder).absolutePath());
    clear();
    QDir dir(path_);
    auto* here = new QListWidgetItem(path_, this);
    here->setData(Qt::UserRole, path_);
    if (dir.cdUp()) {
        auto* up = new QListWidgetItem(QStringLiteral(".."), this);
        up->setData(Qt::UserRole, dir.absolutePath());
    }
    const QDir current(path_);
    for (const QString& name : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        auto* item = new QListWidgetItem(QStringLiteral("  ") + name, this);
        item->setData(Qt::UserRole, current.absoluteFilePath(name));
    }
    setCurrentRow(0);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setPath(const QString& folder) {
    path_ = QDir::cleanPath(QDir(folder).absolutePath());
    refill();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refill();
}

void FileList::refill() {
    clear();
    if (path_.isEmpty()) {
        return;
    }
    QDir dir(path_);
    dir.setNameFilters(pattern_.split(';', Qt::SkipEmptyParts));
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Unsorted);
    // Name filters ignore case on every system, as the project's files expect.
    QStringList names = dir.entryList();
    // As a person counts: ResultsAuto2.dat before ResultsAuto10.dat.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return rivulon::naturalLess(a.toStdString(), b.toStdString());
    });
    addItems(names);
}

QStringList FileList::fileNames() const {
    QStringList names;
    for (int i = 0; i < count(); ++i) {
        names.append(item(i)->text());
    }
    return names;
}

QString FileList::fileName() const {
    return currentItem() ? currentItem()->text() : QString();
}
