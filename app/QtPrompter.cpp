#include "app/QtPrompter.h"

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

std::string ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

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
