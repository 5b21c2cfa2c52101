#!/bin/bash
# wizard-languages-e2e.sh <VornPack> <VornSetup stub> <VornDemo.exe> <definitions> <wine-run> <work folder> <WindowDriver.exe> [<screenshot folder>]
# Every page of the wizard in each of the installer's languages, as a user
# meets them: welcome, licence, options, the copy, the cancel question, the
# cancelled page, a failing copy and a successful one. Each page must show its
# own language's texts, none of them missing and none left in English, and is
# photographed in a virtual desktop (title bar drawn) for a person to look at:
# "wizard-<language>-<n>-<page>.png" in the screenshot folder.
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck disable=SC2016 # single quotes hold scripts for bash -c
# shellcheck disable=SC2034 # e2e-common.sh reads them
{ vornpack="$1"; stub="$2"; demo="$3"; definitions="$4"; run="$5"; work="$6"; driver="$7"; }
shots="${8:-$6/screenshots}"
source "$(dirname "$0")/../../../scripts/lib.sh"
start_xvfb
source "$(dirname "$0")/e2e-common.sh"
mkdir -p "$shots"
source "$(dirname "$0")/wizard-common.sh"
make_many_files_setup

# shellcheck disable=SC2206 # a list of words
languages=(${VORN_WIZARD_LANGUAGES:-en de es fr it ko ru zh})
# The texts of one language, formatted as the wizard shows them ("<ID>\t<text>",
# without the "&" of an access key), and the patterns of the English texts
# that the language translates.
texts_of() { # language
  python3 - "$definitions" "$1" <<'PY'
import re, sys, xml.etree.ElementTree as tree
folder, language = sys.argv[1], sys.argv[2]
for kind in ("VornLib-Strings", "VornSetup-Strings"):
    for node in tree.parse(f"{folder}/{kind}-{language}.xml").getroot().iter("String"):
        text = re.sub(r"&(.)", r"\1", re.sub(r"[ \t\r\n]+", " ", node.text or "").strip())
        print(f'{node.get("ID")}\t{text.replace("{0}", "1.0.0" if node.get("ID") == "InstallLabel" else "VornDemo")}')
PY
}
english_patterns() { # language
  python3 - "$definitions" "$1" <<'PY'
import re, sys, xml.etree.ElementTree as tree
folder, language = sys.argv[1], sys.argv[2]
def texts(language):
    found = {}
    for kind in ("VornLib-Strings", "VornSetup-Strings", "VornSetup-License"):
        for node in tree.parse(f"{folder}/{kind}-{language}.xml").getroot().iter("String"):
            found[node.get("ID")] = re.sub(r"&(.)", r"\1", re.sub(r"[ \t\r\n]+", " ", node.text or "").strip())
    return found
def pattern(text): # "{0}" and the like stand for any text
    parts = re.split(r"\{[^}]*\}", text)
    return "^" + ".*".join(re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", part) for part in parts) + "$"
translated = texts(language)
for key, text in texts("en").items():
    # A few words read the same in some languages ("OK", "Version {0}").
    if text and translated.get(key) != text and len(text) > 3:
        print(pattern(text))
PY
}

# Version 2, for the welcome page of an update over the version installed.
definitions2="$work/definitions-2"; rm -rf "$definitions2"; cp -a "$definitions" "$definitions2"
sed -i 's/Name="VornDemo" Version="1.0.0"/Name="VornDemo" Version="2.0.0"/' "$definitions2/Configuration.xml"
definitions="$definitions2" make_setup "$work/app" "$work/Setup2.exe"
# Controls where none shows `absent` and one shows `present` (proof that the
# listing was made).
shows_only() { shows "$1" "$3" && ! shows "$1" "$2"; } # controls absent present
# On the options page: a relative folder says why Install is unavailable, in
# the place of the space required, until the folder shown before is back.
folder_reason() { # language
  local label reason folder shown
  label="$(text InstallFolderLabel)"; reason="$(text FolderNotFullPath)"
  folder="$(edit_after "$(drive "$prefix" "$title" --controls)" "$label")"
  drive "$prefix" "$title" --set-text "$label" 'Tools\VornDemo' >/dev/null
  shown="$(wait_for_text "$prefix" "$title" "$reason" 30)"
  check "$1: a relative folder says \"$reason\", Install disabled" \
    test "$(shows "$shown" "$reason" && echo shown)|$(state_of "$shown" "$(text InstallButton)")" = 'shown|disabled'
  seen "$shown"; shot "$1-3b-folder-reason"
  drive "$prefix" "$title" --set-text "$label" "$folder" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 30 shows_only "$reason" "$label")"
  check "$1: the folder shown before takes it away, Install enabled" \
    test "$(shows "$shown" "$reason" || echo gone)|$(state_of "$shown" "$(text InstallButton)")" = 'gone|enabled'
}
# Over the version just installed, version 2's welcome page names both.
update_welcome() { # language
  local sentence shown
  sentence="$(text VersionUpdate)"; sentence="${sentence/VornDemo/1.0.0}"; sentence="${sentence/\{1\}/2.0.0}"
  start_setup_of "$prefix" "$work/Setup2.exe" "/Language:$1"
  shown="$(wait_for_text "$prefix" "$title" "$sentence" 60)"
  check "$1: an update's welcome page says \"$sentence\"" shows "$shown" "$sentence"
  seen "$shown"; shot "$1-9-update-welcome"
  drive "$prefix" "$title" --click "$(text QuitButton)" >/dev/null
  exit_code_of "$setup_pid" 30 >/dev/null
}

for language in "${languages[@]}"; do
  echo "== $language"
  strings="$(texts_of "$language")"
  text() { awk -F'\t' -v id="$1" '$1 == id { print $2; exit }' <<<"$strings"; }
  title="$(text InstallTitle)"
  prefix="$(fresh_prefix "language-$language")"
  before="$(snapshot "$prefix")"
  pages=""
  seen() { pages+="$1"$'\n'; }

  start_setup_of "$prefix" "$work/ManySetup.exe" "/Language:$language"
  shown="$(wait_for_controls "$prefix" "$title" 60 shows_all "$(text WelcomeTitle)" "$(text InstallButton)" "$(text QuitButton)")"
  check "$language: \"$title\" opens on \"$(text WelcomeTitle)\"" shows "$shown" "$(text WelcomeTitle)"
  check "$language: Install and Close" test "$(state_of "$shown" "$(text InstallButton)")|$(state_of "$shown" "$(text QuitButton)")" = 'enabled|enabled'
  seen "$shown"; shot "$language-1-welcome"
  drive "$prefix" "$title" --select-tab "$(text LicenseTab)" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 30 shows_all "$(text LicenseIntro)" "$(text LicenseAcceptNotice)")"
  check "$language: the licence page" shows "$shown" "$(text LicenseAcceptNotice)"
  check "$language: with its agreement" grep -qE $'^RichEdit[^\t]*\t[^\t]*\t.{200}' <<<"$shown"
  seen "$shown"; shot "$language-2-license"
  drive "$prefix" "$title" --select-tab "$(text OptionsTab)" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 30 shows_all "$(text InstallFolderLabel)" "$(text CreateDesktopShortcut)" "$(text ScopeCurrentUser)")"
  check "$language: the options page" shows "$shown" "$(text CreateDesktopShortcut)"
  seen "$shown"; shot "$language-3-options"

  check "$language: the choice of scope" shows "$shown" "$(text ScopeCurrentUser)"
  folder_reason "$language"

  # Install, a photograph of the copy under way, and a close while it runs:
  # one driver run as soon as the copy page is on show, so that the copy is
  # still going on. "for all users" is installed by the elevated copy, whose
  # window shows that page while the wizard that started it hides.
  question="$title - $(text CancelTitle)"
  drive "$prefix" "$title" --click "$(text InstallButton)" >/dev/null
  wait_for_text "$prefix" "$title" "$(text FileTransferText)" 30 >/dev/null
  drive "$prefix" "$title" --shot "$(windows_path "$work/copying.bmp")" \
    --close --window "$question" >/dev/null; code=$?
  convert "$work/copying.bmp" "$shots/wizard-$language-4-copying.png" 2>/dev/null
  check "$language: closing while copying asks \"$question\" ($code)" test "$code" -eq 0
  shown="$(drive "$prefix" "$title" --controls)"
  check "$language: the copy page stays meanwhile" shows "$shown" "$(text FileTransferText)"
  seen "$shown"
  shown="$(wait_for_controls "$prefix" "$question" 30 shows_all "$(text ButtonYes)" "$(text ButtonNo)")"
  check "$language: the question offers $(text ButtonYes) and $(text ButtonNo)" test "$(state_of "$shown" "$(text ButtonYes)")|$(state_of "$shown" "$(text ButtonNo)")" = 'enabled|enabled'
  sleep 1; seen "$shown"; shot "$language-5-question"
  drive "$prefix" "$question" --click "$(text ButtonYes)" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 60 shows_all "$(text CanceledTitle)" "$(text CanceledMessage)")"
  check "$language: the cancelled page" shows "$shown" "$(text CanceledMessage)"
  seen "$shown"; shot "$language-6-cancelled"
  check "$language: the cancelled copy left nothing" test "$(snapshot "$prefix")" = "$before"
  drive "$prefix" "$title" --click "$(text QuitButton)" >/dev/null
  exit_code_of "$setup_pid" 30 >/dev/null

  # A folder stands where the program's file must go.
  mkdir -p "$(program_files "$prefix")/VornDemo.exe"
  start_setup "$prefix" "/Language:$language"
  wait_for_text "$prefix" "$title" "$(text WelcomeTitle)" >/dev/null
  drive "$prefix" "$title" --click "$(text InstallButton)" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 60 shows_all "$(text FailureTitle)" "$(text FailureSupport)")"
  check "$language: the failure page, with its support link" shows "$shown" "$(text FailureSupport)"
  seen "$shown"; shot "$language-7-failure"
  drive "$prefix" "$title" --click "$(text QuitButton)" >/dev/null
  exit_code_of "$setup_pid" 30 >/dev/null
  rm -rf "$(program_files "$prefix")"

  start_setup "$prefix" "/Language:$language"
  wait_for_text "$prefix" "$title" "$(text WelcomeTitle)" >/dev/null
  drive "$prefix" "$title" --click "$(text InstallButton)" >/dev/null
  shown="$(wait_for_controls "$prefix" "$title" 60 shows_all "$(text RunButton)" "$(text SuccessMessage)")"
  check "$language: the success page" shows "$shown" "$(text SuccessMessage)"
  seen "$shown"; shot "$language-8-success"
  check "$language: VornDemo installed" cmp -s "$(program_files "$prefix")/VornDemo.exe" "$work/app/VornDemo.exe"
  drive "$prefix" "$title" --click "$(text QuitButton)" >/dev/null
  exit_code_of "$setup_pid" 30; code=$?
  check "$language: Close ends the launcher with 0 ($code)" test "$code" -eq 0
  update_welcome "$language"

  check "$language: no missing text on any page" bash -c '! grep -q "<Localized Text:" <<<"$1"' _ "$pages"
  if [ "$language" != en ]; then
    left="$(cut -f3 <<<"$pages" | tr -s ' ' | grep -E -f <(english_patterns "$language"))"
    check "$language: no English text on any page" test -z "$left"
    [ -n "$left" ] && echo "$left" | sort -u | head -5
  fi
  end_scenario "$prefix"
done

finish_checks
