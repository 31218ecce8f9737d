#include "app/QtPrompter.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/AboutDlg.h"

namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        default:
            return QMessageBox::NoIcon;
    }
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The one entry of `folder` whose name the toolkit shows as `shown`, or
// nothing when none or several do.
std::optional<std::string> EntryShownAs(const std::string& folder, const QString& shown) {
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    int matches = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == shown) {
            found = entry->d_name;
            ++matches;
        }
    }
    ::closedir(dir);
    return matches == 1 ? found : std::nullopt;
}

}  // namespace

// The toolkit decodes file names to text, so a name that is not valid UTF-8
// does not encode back to its bytes: each such part of the path is looked up
// again among its folder's entries.
std::string ToLocalPath(const QString& path) {
    std::string direct = QFile::encodeName(path).toStdString();
    if (Exists(direct) || !path.startsWith(QLatin1Char('/'))) {
        return direct;
    }
    std::string resolved;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        std::string next = resolved + '/' + QFile::encodeName(part).toStdString();
        if (!Exists(next)) {
            const std::optional<std::string> entry = EntryShownAs(resolved, part);
            if (!entry) {
                return direct;
            }
            next = resolved + '/' + *entry;
        }
        resolved = std::move(next);
    }
    return resolved;
}

void QtPrompter::Message(const std::string& text, const std::string& caption, PromptIcon icon) {
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, m_owner);
    box.exec();
}

bool QtPrompter::Ask(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtPrompter::About() {
    CAboutDlg about(m_owner);
    about.exec();
}

std::optional<std::string> QtPrompter::OpenFile(const std::string& defaultName,
                                                const std::string& filter) {
    QFileDialog chooser(nullptr, QString(), QString(), QString::fromStdString(filter));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setDefaultSuffix(QStringLiteral("cfg"));
    chooser.selectFile(QString::fromStdString(defaultName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToLocalPath(chooser.selectedFiles().front());
}

std::optional<std::string> QtPrompter::ChooseFolder(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(m_owner, QString::fromStdString(title),
                                                             QString(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return ToLocalPath(folder);
}

std::optional<std::string> QtPrompter::SaveFile(const std::string& defaultName,
                                                const std::string& filter) {
    QFileDialog chooser(m_owner, QString(), QString(), QString::fromStdString(filter));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.selectFile(QString::fromStdString(defaultName));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToLocalPath(chooser.selectedFiles().front());
}
