// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/kivouiextra/kivoicondialog.h"

#include <QAbstractListModel>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Theme names hold only file name characters, so a plain path join is safe.
QString themeIndexPath(const QString &theme)
{
    for (const QString &base : QIcon::themeSearchPaths()) {
        const QString index = base + QLatin1Char('/') + theme + QLatin1String("/index.theme");
        if (QFileInfo::exists(index))
            return index;
    }
    return {};
}

QStringList themeIndexList(const QString &theme, const QString &key)
{
    const QString index = themeIndexPath(theme);
    if (index.isEmpty())
        return {};
    return QSettings(index, QSettings::IniFormat)
        .value(QLatin1String("Icon Theme/") + key)
        .toStringList();
}

// The current theme, then the themes it inherits depth first, then the fallbacks.
QStringList themeChain()
{
    QStringList chain;
    QStringList pending
        = { QIcon::themeName(), QIcon::fallbackThemeName(), QStringLiteral("hicolor") };
    while (!pending.isEmpty()) {
        const QString theme = pending.takeFirst().trimmed();
        if (theme.isEmpty() || chain.contains(theme))
            continue;
        chain.append(theme);
        pending = themeIndexList(theme, QStringLiteral("Inherits")) + pending;
    }
    return chain;
}

// The formats QIcon::fromTheme looks for.
QStringList loadableSuffixes()
{
    QStringList suffixes = { QStringLiteral("png") };
    if (QImageReader::supportedImageFormats().contains("svg"))
        suffixes.append(QStringLiteral("svg"));
    return suffixes;
}

// The file names are enough: icons are only loaded when the grid shows them.
class IconNameModel : public QAbstractListModel
{
public:
    IconNameModel(const QStringList &names, QObject *parent)
        : QAbstractListModel(parent)
        , m_names(names)
    {
    }

    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : m_names.size();
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_names.at(index.row());
        if (role == Qt::DecorationRole)
            return icon(index.row());
        if (role == Qt::SizeHintRole)
            return m_itemSize;
        return {};
    }

    // The same for every item, so that the view need not measure each name.
    void setItemSize(const QSize &size) { m_itemSize = size; }

private:
    QIcon icon(int row) const
    {
        auto cached = m_icons.constFind(row);
        if (cached == m_icons.constEnd())
            cached = m_icons.insert(row, QIcon::fromTheme(m_names.at(row)));
        return *cached;
    }

    QStringList m_names;
    QSize m_itemSize;
    mutable QHash<int, QIcon> m_icons;
};

} // namespace

KivoIconDialog::KivoIconDialog(QWidget *parent)
    : QDialog(parent)
    , m_searchEdit(new QLineEdit(this))
    , m_iconView(new QListView(this))
    , m_filter(new QSortFilterProxyModel(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Select Icon"));
    m_searchEdit->setObjectName(QStringLiteral("searchEdit"));
    m_searchEdit->setPlaceholderText(tr("Search icons"));
    m_searchEdit->setClearButtonEnabled(true);

    m_filter->setSourceModel(new IconNameModel(themeIconNames(), m_filter));
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_iconView->setObjectName(QStringLiteral("iconView"));
    m_iconView->setViewMode(QListView::IconMode);
    m_iconView->setMovement(QListView::Static);
    m_iconView->setResizeMode(QListView::Adjust);
    m_iconView->setUniformItemSizes(true);
    // Names wrap where they may (after a hyphen, say) over two lines; only what does not fit
    // then is cut, at its end.
    m_iconView->setWordWrap(true);
    m_iconView->setTextElideMode(Qt::ElideRight);
    m_iconView->setModel(m_filter);
    setIconSize(32);

    QPushButton *browseButton = m_buttons->addButton(tr("Browse..."), QDialogButtonBox::ActionRole);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_searchEdit);
    layout->addWidget(m_iconView);
    layout->addWidget(m_buttons);
    resize(600, 440);

    connect(m_searchEdit, &QLineEdit::textChanged, this, &KivoIconDialog::filterNames);
    connect(m_iconView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KivoIconDialog::selectionChanged);
    connect(m_iconView, &QListView::activated, this, &QDialog::accept);
    connect(browseButton, &QPushButton::clicked, this, &KivoIconDialog::browse);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void KivoIconDialog::setIconSize(int size)
{
    const QSize item(qMax(size, 48) + 80, size + 2 * fontMetrics().lineSpacing() + 8);
    static_cast<IconNameModel *>(m_filter->sourceModel())->setItemSize(item);
    m_iconView->setIconSize(QSize(size, size));
    m_iconView->setGridSize(item + QSize(8, 8));
}

void KivoIconDialog::setSelectedIcon(const QString &namePath)
{
    if (namePath.contains(QLatin1Char('/')))
        m_browseFolder = QFileInfo(namePath).absolutePath();
    selectName(namePath);
}

void KivoIconDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Only once the view has its size can it bring the selection into the middle.
    QTimer::singleShot(0, this, [this] {
        m_iconView->scrollTo(m_iconView->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void KivoIconDialog::filterNames(const QString &text)
{
    const QString kept = m_selected;
    m_filter->setFilterFixedString(text);
    selectName(kept);
}

void KivoIconDialog::selectName(const QString &name)
{
    const QModelIndexList found = m_filter->match(m_filter->index(0, 0), Qt::DisplayRole, name, 1,
                                                  Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (name.isEmpty() || found.isEmpty()) {
        m_iconView->selectionModel()->clear();
        return;
    }
    m_iconView->setCurrentIndex(found.first());
    m_iconView->scrollTo(found.first(), QAbstractItemView::PositionAtCenter);
}

void KivoIconDialog::selectionChanged()
{
    const QModelIndexList selected = m_iconView->selectionModel()->selectedIndexes();
    m_selected = selected.isEmpty() ? QString() : selected.first().data().toString();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_selected.isEmpty());
}

void KivoIconDialog::browse()
{
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Select Image File"), m_browseFolder,
        tr("Images (*.png *.svg *.svgz *.xpm *.ico *.jpg *.jpeg *.bmp *.gif);;All files (*)"));
    if (file.isEmpty())
        return;
    m_selected = file;
    accept();
}

QStringList KivoIconDialog::themeIconNames()
{
    const QStringList suffixes = loadableSuffixes();
    QSet<QString> names;
    for (const QString &theme : themeChain()) {
        const QStringList folders = themeIndexList(theme, QStringLiteral("Directories"));
        for (const QString &base : QIcon::themeSearchPaths()) {
            for (const QString &folder : folders) {
                const QDir dir(base + QLatin1Char('/') + theme + QLatin1Char('/') + folder);
                for (const QFileInfo &file : dir.entryInfoList(QDir::Files)) {
                    // GTK's recoloured renderings of symbolic icons, which QIcon cannot name.
                    const QString name = file.completeBaseName();
                    if (suffixes.contains(file.suffix())
                        && !name.endsWith(QLatin1String(".symbolic")))
                        names.insert(name);
                }
            }
        }
    }
    QStringList sorted(names.cbegin(), names.cend());
    sorted.sort();
    return sorted;
}
