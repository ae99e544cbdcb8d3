#include "ui/source_dialog/source_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "leveldata/disk_file_system.h"
#include "sources/source_descriptor.h"
#include "sources/source_detector.h"
#include "ui/editor/caption_fitting.h"
#include "ui/source_dialog/directory_list.h"
#include "ui/source_dialog/file_list.h"
#include "ui/source_dialog/kind_option_button.h"

namespace morvane {

namespace {

constexpr int kClientWidth = 457;
constexpr int kClientHeight = 409;
const char* const kCaption = "Morvane Level Editor v1.1";

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// File names travel to the core in the file system's own encoding.
std::string ToFileName(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

}  // namespace

SourceDialog::SourceDialog(Opener opener, QWidget* parent)
    : SourceDialog(std::move(opener), &DriveCatalog::Mounted, parent) {}

SourceDialog::SourceDialog(Opener opener, DriveList::Source drives, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_opener(std::move(opener)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls(std::move(drives));
    FitFontToCaptions(*this);

    // The lists start on the directory the program was started in.
    const QString start = QDir::currentPath();
    m_directories->setPath(start);
    m_files->setPath(start);
    m_drives->showDriveOf(start);
    m_driveDirectories.insert(m_drives->driveOf(start), start);
    applySourceKind(SourceKind::Unknown);
    m_drives->setFocus();
}

void SourceDialog::buildControls(DriveList::Source drives) {
    m_frame1 = new QGroupBox(QStringLiteral("Please select something to open..."), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(4, 4, 449, 401);

    m_directories = new DirectoryList(m_frame1);
    m_directories->setObjectName(QStringLiteral("Dir1"));
    m_directories->setGeometry(8, 16, 237, 186);

    m_drives = new DriveList(std::move(drives), m_frame1);
    m_drives->setObjectName(QStringLiteral("Drive1"));
    m_drives->setGeometry(8, 208, 237, 21);

    m_files = new FileList(m_frame1);
    m_files->setObjectName(QStringLiteral("File1"));
    m_files->setGeometry(248, 16, 193, 214);

    m_frame2 = new QGroupBox(m_frame1);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_frame2->setGeometry(8, 236, 353, 157);
    m_frame2->setFocusPolicy(Qt::NoFocus);

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTop;
    MakeLabel(m_frame2, "Label2", QStringLiteral("The selected file seems to be..."),
              QRect(8, 16, 149, 17), left);

    const std::array<QRect, kSourceKindCount> optionGeometry = {
        QRect(8, 32, 85, 21),  QRect(8, 52, 73, 21),   QRect(8, 72, 113, 21),
        QRect(8, 92, 109, 21), QRect(8, 112, 129, 21), QRect(8, 132, 69, 21),
    };
    for (int k = 0; k < kSourceKindCount; ++k) {
        auto* option = new KindOptionButton(FromView(SourceKindCaption(SourceKind(k))), m_frame2);
        option->setObjectName(QStringLiteral("Option1"));
        option->setProperty("index", k);
        option->setGeometry(optionGeometry[std::size_t(k)]);
        m_options[std::size_t(k)] = option;
    }

    const std::array<const char*, 3> captions = {"Data offset:", "Compressed:", "Number of maps:"};
    const std::array<int, 3> rows = {52, 76, 100};
    for (int i = 0; i < 3; ++i) {
        QLabel* caption = MakeLabel(m_frame2, "Label1", QString::fromLatin1(captions[i]),
                                    QRect(196, rows[i], 89, 21), right);
        caption->setProperty("index", i);
    }
    m_dataOffset = MakeLabel(m_frame2, "DataOffset", {}, QRect(288, 52, 57, 21), left);
    m_compressed = MakeLabel(m_frame2, "Compressed", {}, QRect(288, 76, 57, 21), left);
    m_numMaps = MakeLabel(m_frame2, "NumMaps", {}, QRect(288, 100, 57, 21), left);

    m_openButton = new QPushButton(QStringLiteral("&Open"), m_frame1);
    m_openButton->setObjectName(QStringLiteral("Command1"));
    m_openButton->setGeometry(368, 304, 73, 33);

    m_quitButton = new QPushButton(QStringLiteral("&Quit"), m_frame1);
    m_quitButton->setObjectName(QStringLiteral("Command2"));
    m_quitButton->setGeometry(368, 344, 73, 33);

    setTabOrder(m_drives, m_directories);
    setTabOrder(m_directories, m_files);
    setTabOrder(m_files, m_quitButton);
    setTabOrder(m_quitButton, m_openButton);

    connect(m_drives, &DriveList::driveChosen, this, &SourceDialog::chooseDrive);
    connect(m_directories, &DirectoryList::directoryRequested, this,
            &SourceDialog::changeDirectory);
    connect(m_files, &QListWidget::itemSelectionChanged, this, &SourceDialog::classifySelectedFile);
    // A click on the file already selected changes no selection; the file may have changed on
    // disk since, so it is classified again too.
    connect(m_files, &QListWidget::itemClicked, this, &SourceDialog::classifySelectedFile);
    connect(m_files, &QListWidget::itemDoubleClicked, this, &SourceDialog::openDoubleClicked);
    connect(m_openButton, &QPushButton::clicked, this, &SourceDialog::open);
    connect(m_quitButton, &QPushButton::clicked, this, &QWidget::close);
}

SourceSelection SourceDialog::selection() const {
    SourceSelection chosen;
    chosen.caption = windowTitle().toStdString();
    chosen.directory = ToFileName(m_directories->path());
    chosen.fileName = ToFileName(m_files->selectedName());
    chosen.tag = tag().toStdString();
    chosen.dataOffset = m_dataOffset->text().toStdString();
    chosen.compressed = m_compressed->text().toStdString();
    chosen.numMaps = m_numMaps->text().toStdString();
    return chosen;
}

QString SourceDialog::tag() const {
    return property("Tag").toString();
}

void SourceDialog::showEvent(QShowEvent* event) {
    // Centred on the screen the first time only; afterwards the window stays where the user
    // put it.
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* display = screen()) {
            QRect placed = frameGeometry();
            placed.moveCenter(display->availableGeometry().center());
            move(placed.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void SourceDialog::chooseDrive(const QString& root) {
    changeDirectory(m_driveDirectories.value(root, root));
    // The drive shown is the one the directory list ended on, which differs from the pick
    // when the drive could not be entered.
    m_drives->showDriveOf(m_directories->path());
}

void SourceDialog::changeDirectory(const QString& requested) {
    const QString target = QDir::cleanPath(QDir(m_directories->path()).absoluteFilePath(requested));
    if (target == m_directories->path()) {
        return;
    }
    // A directory that cannot be entered (removed meanwhile, no permission, a drive no longer
    // mounted) leaves the dialog in its nearest ancestor that can be, so the directory list,
    // the file list and the current directory always name the same place.
    QString candidate = target;
    while (!QDir::setCurrent(candidate)) {
        const QString parent = QFileInfo(candidate).path();
        if (parent == candidate) {
            break;
        }
        candidate = parent;
    }
    // Taken back from the system so that a path through a symbolic link reads the same in all
    // three places.
    const QString entered = QDir::currentPath();
    m_directories->setPath(entered);
    m_files->setPath(entered);
    m_drives->showDriveOf(entered);
    m_driveDirectories.insert(m_drives->driveOf(entered), entered);
    applySourceKind(SourceKind::Unknown);
}

void SourceDialog::classifySelectedFile() {
    const QString name = m_files->selectedName();
    if (name.isEmpty()) {
        return;
    }
    // The current directory is the listed one, so the bare name finds the file. The disk file
    // system refuses FIFOs, sockets and devices without opening them; they come out Unknown.
    DiskFileSystem disk;
    applySourceKind(DetectSourceKind(disk, ToFileName(name)));
}

void SourceDialog::openDoubleClicked(QListWidgetItem* item) {
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    // The file is classified again, as a double-click is also a click, and opened only when
    // it is recognised.
    classifySelectedFile();
    if (tag().toInt() != int(SourceKind::Unknown)) {
        open();
    }
}

void SourceDialog::open() {
    if (m_opening || m_handedOver || !m_opener || tag().toInt() == int(SourceKind::Unknown) ||
        m_files->selectedName().isEmpty()) {
        return;
    }
    const SourceSelection chosen = selection();
    QWidget* focused = focusWidget();
    // Disabled while the editor starts, so that nothing in the dialog changes under it while
    // it may show a message.
    m_opening = true;
    setEnabled(false);
    const bool started = m_opener(chosen);
    m_opening = false;
    if (started) {
        m_handedOver = true;
        hide();
        return;
    }
    setEnabled(true);
    if (focused != nullptr) {
        focused->setFocus();
    }
}

void SourceDialog::applySourceKind(SourceKind kind) {
    const SourceDescriptor descriptor = DescriptorFor(kind);
    m_options[std::size_t(kind)]->setChecked(true);
    m_dataOffset->setText(FromView(descriptor.dataOffset));
    m_compressed->setText(FromView(descriptor.compressed));
    m_numMaps->setText(FromView(descriptor.numMaps));
    m_openButton->setEnabled(descriptor.canOpen);
    setProperty("Tag", QString::fromStdString(descriptor.tag()));
}

}  // namespace morvane
