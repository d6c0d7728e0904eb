# SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
# SPDX-License-Identifier: GPL-2.0-or-later
# bash completion for kivo-admin-winprops: options, stored window names after --delete, --edit
# and --show, files after --export and --import.

# The stored window names, one per line: the name part of each listed record, unescaped.
# Names with escaped control characters are left as they are listed.
_kivo_admin_winprops_names()
{
    "$1" --list 2>/dev/null |
        sed -e 's/^\(\([^\\;]\|\\.\)*\).*$/\1/' -e 's/\\\([\\;=]\)/\1/g'
}

_kivo_admin_winprops()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=
    [ "$COMP_CWORD" -gt 0 ] && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    case $prev in
    --delete | --edit | --show)
        local name
        while IFS= read -r name; do
            [[ $name == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
        done < <(_kivo_admin_winprops_names "${COMP_WORDS[0]}")
        return 0
        ;;
    --export | --import)
        local IFS=$'\n'
        COMPREPLY=($(compgen -f -- "$cur"))
        return 0
        ;;
    --add)
        return 0
        ;;
    esac
    COMPREPLY=($(compgen -W '--help --help-all --version --add --delete --edit --quiet --list
        --show --export --import --desktop' -- "$cur"))
}

complete -F _kivo_admin_winprops kivo-admin-winprops
