// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/benchrecords.h"

#include "platform/winprops/winpropsfields.h"

#include <QSet>
#include <QStringList>

#include <random>

namespace {

// Program names, window classes and titles as window managers report them.
const char *const programs[] = {
    "xterm",
    "firefox-esr",
    "chromium",
    "thunderbird",
    "vlc",
    "mpv",
    "gimp-2.10",
    "inkscape",
    "libreoffice-writer",
    "libreoffice-calc",
    "soffice.bin",
    "evince",
    "okular",
    "dolphin",
    "nautilus",
    "pcmanfm",
    "konsole",
    "gnome-terminal-server",
    "Alacritty",
    "kitty",
    "emacs",
    "gvim",
    "code",
    "geany",
    "kate",
    "keepassxc",
    "qbittorrent",
    "transmission-gtk",
    "steam",
    "Wine",
    "java",
    "sun-awt-X11-XFramePeer",
    "jetbrains-idea",
    "Navigator",
    "Mail",
    "Pidgin",
    "hexchat",
    "telegram-desktop",
    "signal",
    "zoom",
    "obs",
    "audacity",
    "blender",
    "krita",
    "darktable",
    "shotwell",
    "eog",
    "feh",
    "xclock",
    "xcalc",
    "pavucontrol",
    "nm-connection-editor",
    "Xephyr",
    "qemu-system-x86_64",
    "VirtualBox Manager",
    "VirtualBoxVM",
    "remmina",
    "wireshark",
    "gparted",
    "synaptic",
    "lxappearance",
    "conky",
    "tint2",
    "plank",
    "stalonetray",
};

const char *const domains[] = { "org.kivo",  "org.gnome",       "org.kde",     "com.example",
                                "io.github", "net.sourceforge", "de.akademie", "fr.logiciel" };

const char *const words[] = { "Editor",  "Viewer",  "Player",    "Terminal", "Browser", "Settings",
                              "Console", "Monitor", "Notes",     "Calendar", "Chat",    "Mixer",
                              "Dialog",  "Preview", "Inspector", "Toolbox",  "Palette", "Map" };

// Names from outside ASCII and with the record text's special characters, which need escapes.
const char *const unusual[] = { "Éditeur de texte", "Bildbetrachter", "ターミナル", "Записи",
                                "a;b=c\\d",         "Размер=большой", "日本語入力", "Ωmega;Test" };

const char *const icons[] = { "utilities-terminal",
                              "web-browser",
                              "multimedia-video-player",
                              "accessories-text-editor",
                              "applications-graphics",
                              "mail-client",
                              "/usr/share/pixmaps/debian-logo.png",
                              "/usr/share/icons/hicolor/48x48/apps/vlc.png",
                              "system-run",
                              "preferences-system-windows" };

QStringList switchKeys()
{
    QStringList keys;
    for (const WinPropsField &field : winPropsFields()) {
        if (field.kind == WinPropsKind::Switch)
            keys.append(field.key());
    }
    return keys;
}

template<typename T, int n> int countOf(T (&)[n])
{
    return n;
}

class Generator
{
public:
    QString name(int index)
    {
        const int kind = pick(10);
        if (kind < 4)
            return QString::fromUtf8(programs[pick(countOf(programs))])
                + (index < 200 ? QString() : QLatin1Char('-') + QString::number(index));
        if (kind < 8)
            return QString::fromUtf8(domains[pick(countOf(domains))]) + QLatin1Char('.')
                + QString::fromUtf8(words[pick(countOf(words))]) + QString::number(index);
        if (kind < 9)
            return QString::fromUtf8(words[pick(countOf(words))]) + QStringLiteral(" – ")
                + QString::fromUtf8(programs[pick(countOf(programs))]) + QStringLiteral(" (")
                + QString::number(index) + QLatin1Char(')');
        return QString::fromUtf8(unusual[pick(countOf(unusual))]) + QLatin1Char(' ')
            + QString::number(index);
    }

    WinProps properties(const QString &name)
    {
        // The name goes in afterwards: it may hold characters that the text would need escaped.
        QString text = QStringLiteral("name");
        const int switchCount = 1 + pick(4);
        QStringList chosen;
        while (chosen.size() < switchCount) {
            const QString key = m_switches.at(pick(m_switches.size()));
            if (!chosen.contains(key))
                chosen.append(key);
        }
        for (const QString &key : qAsConst(chosen))
            text += QLatin1Char(';') + key;
        if (pick(100) < 30)
            text += QStringLiteral(";small_image=") + QLatin1String(icons[pick(countOf(icons))]);
        if (pick(100) < 10)
            text += QStringLiteral(";large_image=") + QLatin1String(icons[pick(countOf(icons))]);
        if (pick(100) < 25)
            text += QStringLiteral(";geometry=%1x%2%3%4%5%6")
                        .arg(200 + pick(1800))
                        .arg(150 + pick(1000))
                        .arg(pick(2) ? '+' : '-')
                        .arg(pick(500))
                        .arg(pick(2) ? '+' : '-')
                        .arg(pick(400));
        if (pick(100) < 20)
            text += QStringLiteral(";shadow=") + QString::number(pick(101));
        if (pick(100) < 10)
            text += QStringLiteral(";transparency=") + QString::number(pick(101));
        WinProps props(text);
        props.setWinName(name);
        return props;
    }

private:
    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); }

    std::mt19937 random { 20261207 };
    const QStringList m_switches = switchKeys();
};

} // namespace

WinPropsList BenchRecords::generate(int count)
{
    Generator generator;
    WinPropsList records;
    records.reserve(count);
    QSet<QString> names;
    for (int i = 0; records.size() < count; ++i) {
        const QString name = generator.name(i);
        if (names.contains(name))
            continue;
        names.insert(name);
        records.append(generator.properties(name));
    }
    return records;
}
