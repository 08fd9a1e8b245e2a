# ktcat and the files it reads and writes, for one CASE: write errors, --output files, damaged modules, the
# module path, the comparison with the committed reference export, import of PO files, reproducible exports.
# Variables: KTCAT, MODULE (the built module), SOURCE_DIR (the source tree), WORK (a scratch folder of this
# case), CLANG_FORMAT (optional); for import_literals LITERALS (the generator), CXX and CXX_FLAGS; for
# gettext_round_trip MSGCAT, MSGMERGE and MSGFMT; for xml XMLLINT.
include(${CMAKE_CURRENT_LIST_DIR}/check_ktcat_run.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
unset(ENV{SOURCE_DATE_EPOCH})

# expect_same_file(a b [--ignore-eol])
function(expect_same_file a b)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ARGN} ${a} ${b} RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "${a} and ${b} differ")
    endif()
endfunction()

# The files of a folder, by name.
function(expect_files folder)
    file(GLOB names RELATIVE ${folder} ${folder}/* ${folder}/.*)
    list(SORT names)
    if(NOT "${names}" STREQUAL "${ARGN}")
        message(FATAL_ERROR "${folder} holds '${names}', expected '${ARGN}'")
    endif()
endfunction()

if(CASE STREQUAL "write_errors")
    # A full device: every command that writes data says so and fails, instead of ending with 0.
    set(KTCAT_RUN_OPTIONS OUTPUT_FILE /dev/full)
    foreach(command "list" "show;core" "show;core;1" "format;gui;5" "check" "export;--format;po"
                    "export;--format;pot" "export;--format;json;gui" "export;--format;xml" "--help" "--version")
        expect_run(5 "^$" "^ktcat: cannot write standard output: No space left on device\n$" ${command})
    endforeach()
elseif(CASE STREQUAL "output_file")
    set(target ${WORK}/de.po)
    file(WRITE ${target} "old\n")
    # A run that fails leaves the file as it was, and nothing beside it.
    expect_run(1 "^$" "no catalogue named 'nope'" export --format po --output ${target} core nope)
    set(ENV{SOURCE_DATE_EPOCH} x)
    expect_run(2 "^$" "SOURCE_DATE_EPOCH 'x'" export --format po --output ${target})
    unset(ENV{SOURCE_DATE_EPOCH})
    file(READ ${target} kept)
    if(NOT kept STREQUAL "old\n")
        message(FATAL_ERROR "a failed export changed ${target}")
    endif()
    expect_files(${WORK} de.po)
    # A run that succeeds replaces it with the whole export.
    expect_run(0 "^$" "^$" export --format po --output=${target} core)
    execute_process(COMMAND ${KTCAT} export --format po core OUTPUT_FILE ${WORK}/stdout.po)
    expect_same_file(${target} ${WORK}/stdout.po ${STDOUT_EOL})
    # What cannot be put in place is reported, and the temporary file is gone.
    file(MAKE_DIRECTORY ${WORK}/folder)
    expect_run(5 "^$" "^ktcat: cannot replace '${WORK}/folder': " list --output ${WORK}/folder)
    expect_run(5 "^$" "^ktcat: cannot create a file beside '${WORK}/missing/x': " list --output ${WORK}/missing/x)
    expect_files(${WORK} de.po folder stdout.po)
    # A report with findings is kept: it is the command's result.
    expect_run(4 "^$" "no value for \\{pos\\}" format res NoClosingBracket string= --output ${WORK}/text)
    file(READ ${WORK}/text text)
    if(NOT text MATCHES "^Fehlende schließende Klammer")
        message(FATAL_ERROR "format --output wrote '${text}'")
    endif()
    expect_run(0 "^$" "^$" check --output ${WORK}/report)
    file(READ ${WORK}/report report)
    if(NOT report STREQUAL "ktcat check: ${CATALOGUE_COUNT} catalogues, 431 entries, no findings\n")
        message(FATAL_ERROR "check --output wrote '${report}'")
    endif()
    if(NOT EMULATOR)
        # POSIX files, so not under an emulator: a symbolic link is followed and stays a link, a file keeps
        # its mode, a FIFO and a device node are written to and stay what they are.
        set(special ${WORK}/special)
        file(MAKE_DIRECTORY ${special})
        file(WRITE ${special}/real "old\n")
        file(CHMOD ${special}/real PERMISSIONS OWNER_READ OWNER_WRITE)
        file(CREATE_LINK real ${special}/link SYMBOLIC)
        expect_run(0 "^$" "^$" list --output ${special}/link)
        execute_process(COMMAND stat -c "%F %a" ${special}/link ${special}/real OUTPUT_VARIABLE kinds)
        file(READ ${special}/real listed)
        if(NOT kinds STREQUAL "symbolic link 777\nregular file 600\n" OR NOT listed MATCHES "^xsdt\t")
            message(FATAL_ERROR "--output through a link to a 0600 file left:\n${kinds}${listed}")
        endif()
        file(CREATE_LINK loop2 ${special}/loop1 SYMBOLIC)
        file(CREATE_LINK loop1 ${special}/loop2 SYMBOLIC)
        expect_run(5 "^$" "^ktcat: cannot write '${special}/loop1': a loop of symbolic links\n$" list --output ${special}/loop1)
        execute_process(COMMAND mkfifo ${special}/fifo)
        execute_process(COMMAND ${KTCAT} list --output ${special}/fifo COMMAND cat ${special}/fifo
                        OUTPUT_VARIABLE piped RESULTS_VARIABLE codes)
        if(NOT codes STREQUAL "0;0" OR NOT piped MATCHES "^xsdt\t")
            message(FATAL_ERROR "--output to a FIFO: exit codes ${codes}, read '${piped}'")
        endif()
        expect_run(0 "^xsdt\t" "^$" list --output /dev/stdout)  # a pipe, by a link only the system follows
        set(kinds "fifo")
        execute_process(COMMAND id -u OUTPUT_VARIABLE user OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(user STREQUAL "0")  # only root makes device nodes: a null device of its own, never the system's
            execute_process(COMMAND mknod ${special}/null c 1 3)
            expect_run(0 "^$" "^$" list --output ${special}/null)
            list(APPEND kinds null)
        endif()
        foreach(node ${kinds})
            execute_process(COMMAND stat -c %F ${special}/${node} OUTPUT_VARIABLE kind)
            if(NOT kind MATCHES "^(fifo|character special file)\n$")
                message(FATAL_ERROR "--output replaced ${special}/${node} by a ${kind}")
            endif()
        endforeach()
    endif()
elseif(CASE STREQUAL "damaged_module")
    foreach(length 1000 100000)
        execute_process(COMMAND head -c ${length} ${MODULE} OUTPUT_FILE ${WORK}/cut${length}.so)
        expect_run(3 "^$" "^ktcat: cannot load the catalogue module: ${WORK}/cut${length}.so: damaged or not a module for this machine: the contents of its segment [0-9]+ \\(bytes [0-9]+ to [0-9]+\\) reach past the end of the file \\(${length} bytes\\)\n$"
                   --module ${WORK}/cut${length}.so list)
    endforeach()
    expect_run(3 "^$" "${SOURCE_DIR}/README.md: damaged or not a module for this machine: it is not an ELF file"
               --module ${SOURCE_DIR}/README.md list)
    # Zeros from 64 KiB on, as an interrupted copy into a preallocated file leaves the module (the dynamic
    # segment lies beyond), and a loop of symbolic links.
    file(SIZE ${MODULE} size)
    execute_process(COMMAND head -c 65536 ${MODULE} OUTPUT_FILE ${WORK}/zeros.so)
    execute_process(COMMAND truncate -s ${size} ${WORK}/zeros.so)
    expect_run(3 "^$" "^ktcat: cannot load the catalogue module: ${WORK}/zeros.so: (damaged or not a module for this machine: its |the system loader )"
               --module ${WORK}/zeros.so list)
    file(CREATE_LINK loop2 ${WORK}/loop1 SYMBOLIC)
    file(CREATE_LINK loop1 ${WORK}/loop2 SYMBOLIC)
    expect_run(3 "^$" "^ktcat: cannot load the catalogue module: ${WORK}/loop1: a loop of symbolic links\n$" --module ${WORK}/loop1 list)
    # A file that passes the check and still cannot be loaded: the loader's own words.
    expect_run(3 "^$" "^ktcat: cannot load the catalogue module: [^\n]*ktcat[^\n]*\n$" --module ${KTCAT} list)
    execute_process(COMMAND ${KTCAT} --module ${KTCAT} list ERROR_VARIABLE err)
    if(err MATCHES "damaged")
        message(FATAL_ERROR "ktcat itself was taken for a damaged file: ${err}")
    endif()
elseif(CASE STREQUAL "module_path")
    # A bare name that names a file here is that file, not a name for the loader's search path.
    get_filename_component(module_name ${MODULE} NAME)
    file(COPY ${MODULE} DESTINATION ${WORK})
    set(KTCAT_RUN_OPTIONS WORKING_DIRECTORY ${WORK})
    expect_run(0 "^xsdt\t15\n" "^$" --module ${module_name} list)
    expect_run(3 "^$" "cannot load the catalogue module: no_such_module.so" --module no_such_module.so list)
    # Without --module and without a module beside it, ktcat says how to name one.
    file(COPY ${KTCAT} DESTINATION ${WORK}/alone/bin)
    set(KTCAT ${WORK}/alone/bin/ktcat)
    # The default is the name hosts load, without the version the module's file name carries.
    string(REGEX REPLACE "(\\.so)\\.[0-9.]+$" "\\1" default_name ${module_name})
    expect_run(3 "^$" "^ktcat: the default module ${WORK}/alone/bin/../lib/${default_name} does not exist; name the module to load with --module PATH\n$" list)
elseif(CASE STREQUAL "against")
    # The committed reference holds every catalogue, key and text of the module in chain and index order:
    # the module's export must be it byte for byte, and the check against it must find nothing, not even a
    # changed text. After an intended change the reference is written anew (docs/ktcat.md).
    set(reference ${SOURCE_DIR}/tests/catalogue/reference/catalogues.json)
    expect_run(0 "^ktcat check: ${CATALOGUE_COUNT} catalogues, 431 entries, no findings\n$" "^$"
               check --against ${reference})
    expect_run(0 "^$" "^$" export --format json --output ${WORK}/export.json)
    expect_same_file(${reference} ${WORK}/export.json)
    # A reference whose placeholder differs (PO references: ktcat_gettext_round_trip).
    file(READ ${reference} json)
    string(REPLACE "Datei {uri} ist keine" "Datei {url} ist keine" json "${json}")
    string(REPLACE "    \"GuiColorGreen\": \"Grün\",\n" "" json "${json}")
    file(WRITE ${WORK}/changed.json "${json}")
    expect_run(4 "gui\\(5\\): error: the key 'GuiColorGreen' is not in the reference\\. \\[AddedKey\\]\n.*core\\(0\\): error: in the text of 'no_encoding_specified' the placeholder {url} became {uri}\\. \\[PlaceholderRenamed\\]\n.*, [0-9]+ findings" "^$"
               check --against ${WORK}/changed.json)
    expect_run(5 "^$" "cannot read '${WORK}/missing.json': " check --against ${WORK}/missing.json)
    expect_run(5 "^$" "^ktcat: cannot read '${WORK}': it is a folder\n$" check --against ${WORK})
    file(WRITE ${WORK}/broken.json "{\"core\": [")
    expect_run(5 "^$" "^ktcat: ${WORK}/broken.json:1: '{' was expected\n$" check --against ${WORK}/broken.json)
elseif(CASE STREQUAL "import_round_trip")
    # Export, then import into an empty folder: every catalogue source comes back byte for byte.
    execute_process(COMMAND ${KTCAT} export --format po OUTPUT_FILE ${WORK}/de.po)
    file(MAKE_DIRECTORY ${WORK}/catalogues)
    set(statistics "^ktcat: ${WORK}/de.po: 431 translated messages\\.\n$")
    expect_run(0 "^([^\n]+: written, 0 texts changed\n)+$" "${statistics}"
               import --format po ${WORK}/de.po --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/catalogues)
    file(GLOB sources RELATIVE ${SOURCE_DIR}/catalogues ${SOURCE_DIR}/catalogues/*.cpp)
    list(LENGTH sources count)
    if(NOT count EQUAL CATALOGUE_COUNT)
        message(FATAL_ERROR "expected ${CATALOGUE_COUNT} catalogue sources, found ${sources}")
    endif()
    foreach(source ${sources})
        expect_same_file(${SOURCE_DIR}/catalogues/${source} ${WORK}/catalogues/${source})
    endforeach()
    # Imported again, nothing changes and nothing is written.
    expect_run(0 "^([^\n]+: unchanged\n)+$" "${statistics}"
               import --format po ${WORK}/de.po --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/catalogues)
elseif(CASE STREQUAL "import_changes")
    # (Unwrapped, so that a text is found on one line.)
    execute_process(COMMAND ${KTCAT} export --format po --no-wrap core gui OUTPUT_FILE ${WORK}/de.po)
    file(READ ${WORK}/de.po po)
    # A translator's edit: a longer text that takes a new layout, and a short one.
    string(REPLACE "Erhöhen Sie bitte das Fehler-Limit, damit weitere Fehler ausgegeben werden können."
                   "Bitte erhöhen Sie das Fehler-Limit, damit auch die weiteren Fehler ausgegeben werden können."
                   edited "${po}")
    string(REPLACE "msgstr \"Grün\"" "msgstr \"Grünlich\"" edited "${edited}")
    file(WRITE ${WORK}/edited.po "${edited}")
    file(MAKE_DIRECTORY ${WORK}/out)
    expect_run(0 "^[^\n]*/core.cpp: written, 1 text changed\n[^\n]*/gui.cpp: written, 1 text changed\n$"
               "^ktcat: ${WORK}/edited.po: [0-9]+ translated messages\\.\n$"
               import --format po ${WORK}/edited.po --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/out)
    file(READ ${WORK}/out/core.cpp core)
    if(NOT core MATCHES "abgebrochen\\. Bitte erhöhen Sie das \"\n         u\"Fehler-Limit, damit auch die weiteren Fehler ausgegeben werden können\\.\"},\n")
        message(FATAL_ERROR "core.cpp does not hold the new text in the project's layout:\n${core}")
    endif()
    if(CLANG_FORMAT)
        foreach(file core gui)
            execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror --style=file:${SOURCE_DIR}/.clang-format
                                    ${WORK}/out/${file}.cpp RESULT_VARIABLE unformatted ERROR_VARIABLE complaints)
            if(unformatted)
                message(FATAL_ERROR "clang-format would change ${file}.cpp:\n${complaints}")
            endif()
        endforeach()
    endif()
    # Entries that would break the catalogue are refused, and nothing is written.
    string(REPLACE "Für die Datei {uri} ist" "Für die Datei {url} ist" refused "${edited}")
    string(REPLACE "msgstr \"Grünlich\"" "msgstr \"\"" refused "${refused}")
    string(REPLACE "#: core:20\n" "#: core:20\n#, fuzzy\n" refused "${refused}")
    string(REPLACE "msgid \"JSON_string\"" "msgid \"JSON_strings\"" refused "${refused}")
    file(WRITE ${WORK}/refused.po "${refused}")
    file(MAKE_DIRECTORY ${WORK}/none)
    # Each refusal names the file as given, and a line; msgfmt's statistics come first.
    set(refused_po "ktcat: ${WORK}/refused.po")
    expect_run(4 "^$" "^${refused_po}: [0-9]+ translated messages, 1 fuzzy translation, 1 untranslated message\\.\n${refused_po}:[0-9]+: 'no_encoding_specified' of catalogue 'core' has the placeholders {url}; the current text has {uri}\n${refused_po}:[0-9]+: 'JSON_number' of catalogue 'core' is marked fuzzy: review it and remove the flag\n${refused_po}:[0-9]+: 'JSON_strings' of catalogue 'core' is not a key of the catalogue\n${refused_po}:[0-9]+: catalogue 'core' lacks the key 'JSON_string' \\(a catalogue is imported whole\\)\n${refused_po}:[0-9]+: 'GuiColorGreen' of catalogue 'gui' is not translated \\(its msgstr is empty\\)\nktcat: nothing imported: 5 problems\n$"
               import --format po ${WORK}/refused.po --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/none)
    expect_files(${WORK}/none)
    expect_run(5 "^$" "^ktcat: cannot read '${WORK}/missing.po': No such file or directory\n$" import --format po ${WORK}/missing.po)
    file(WRITE ${WORK}/bad.po "msgid \"a\"\nmsgstr \"b\" c\n")
    expect_run(5 "^$" "^ktcat: ${WORK}/bad.po:2: text after the closing quote\n$" import --format po ${WORK}/bad.po)
elseif(CASE STREQUAL "import_literals")
    # Hostile texts through a PO file and the import's checks; the literals written for those accepted are
    # compiled with warnings as errors and compared with the texts' UTF-16 units.
    execute_process(COMMAND ${LITERALS} ${WORK}/literals.cpp RESULT_VARIABLE code OUTPUT_VARIABLE out)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "the generator failed (${code}):\n${out}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${CXX_FLAGS}")
    execute_process(COMMAND ${CXX} ${flags} -std=c++20 -Wall -Wextra -Wpedantic -Werror ${WORK}/literals.cpp
                            -o ${WORK}/literals RESULT_VARIABLE code ERROR_VARIABLE err)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "the imported literals do not compile:\n${err}")
    endif()
    execute_process(COMMAND ${WORK}/literals RESULT_VARIABLE code OUTPUT_VARIABLE out)
    if(NOT code EQUAL 0 OR NOT out MATCHES "^0 of [1-9][0-9]* literals differ\n$")
        message(FATAL_ERROR "the imported literals differ from the texts (${code}): ${out}")
    endif()
elseif(CASE STREQUAL "gettext_round_trip")
    # The round trip of docs/ktcat.md with gettext's own tools: they accept the files and, with the
    # template unchanged, leave them byte for byte as ktcat wrote them; an edit comes back in; check
    # --against a PO file reads its references, whatever order the file is in.
    set(ENV{SOURCE_DATE_EPOCH} 1700000000)
    execute_process(COMMAND ${KTCAT} export --format pot OUTPUT_FILE ${WORK}/ktcatalogue.pot)
    execute_process(COMMAND ${KTCAT} export --format po OUTPUT_FILE ${WORK}/de.po)
    unset(ENV{SOURCE_DATE_EPOCH})
    execute_process(COMMAND ${MSGFMT} --check-header --check-format -o ${WORK}/de.mo ${WORK}/de.po
                    RESULT_VARIABLE code ERROR_VARIABLE err)
    if(NOT code EQUAL 0 OR NOT err STREQUAL "")
        message(FATAL_ERROR "msgfmt --check-header finds fault with the export:\n${err}")
    endif()
    execute_process(COMMAND ${KTCAT} export --format po --width 60 OUTPUT_FILE ${WORK}/w60.po)
    execute_process(COMMAND ${KTCAT} export --format po --no-wrap OUTPUT_FILE ${WORK}/nowrap.po)
    foreach(run "de.po;${MSGCAT}" "ktcatalogue.pot;${MSGCAT}" "de.po;${MSGMERGE};--quiet;${WORK}/ktcatalogue.pot"
                "w60.po;${MSGCAT};--width=60" "nowrap.po;${MSGCAT};--no-wrap")
        list(POP_FRONT run input program)
        execute_process(COMMAND ${program} ${WORK}/${input} ${run} -o ${WORK}/out.po RESULT_VARIABLE code ERROR_QUIET)
        if(NOT code EQUAL 0)
            message(FATAL_ERROR "${program} ${input} failed")
        endif()
        expect_same_file(${WORK}/${input} ${WORK}/out.po)
    endforeach()
    # msgmerge --update after keys changed (none here), a translator's edit, the import.
    execute_process(COMMAND ${MSGMERGE} --quiet --update --backup=off ${WORK}/de.po ${WORK}/ktcatalogue.pot)
    file(READ ${WORK}/de.po po)
    string(REPLACE "msgstr \"Grün\"" "msgstr \"Grasgrün\"" po "${po}")
    file(WRITE ${WORK}/de.po "${po}")
    file(MAKE_DIRECTORY ${WORK}/out)
    expect_run(0 "/gui.cpp: 1 text would change\n" "431 translated messages"
               import --format po ${WORK}/de.po --check --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/out)
    expect_files(${WORK}/out)
    expect_run(0 "/gui.cpp: written, 1 text changed\n" "431 translated messages"
               import --format po ${WORK}/de.po --sources ${SOURCE_DIR}/catalogues --output-dir ${WORK}/out)
    file(READ ${WORK}/out/gui.cpp gui)
    if(NOT gui MATCHES "{u\"GuiColorGreen\", u\"Grasgrün\"},")
        message(FATAL_ERROR "the edit did not reach gui.cpp")
    endif()
    # (The module is not rebuilt here: check --against the edited file shows the edit as a changed text.)
    execute_process(COMMAND ${MSGCAT} --sort-output -o ${WORK}/sorted.po ${WORK}/de.po)
    expect_run(0 "gui\\(5\\): note: the text of 'GuiColorGreen' changed[^\n]*\n  was: Grasgrün\n  now: Grün\n[^\n]*no findings, 1 changed text\n$" "^$"
               check --against ${WORK}/sorted.po)
    string(REPLACE "#: gui:5\n" "#: gui:5\n#, fuzzy\n" po "${po}")
    file(WRITE ${WORK}/fuzzy.po "${po}")
    expect_run(0 "fuzzy.po:[0-9]+: note: the entry 'GuiColorGreen' of catalogue 'gui' is marked fuzzy \\(a draft\\)\\. \\[FuzzyInReference\\]\n.*no findings, 1 changed text, 1 fuzzy entry in the reference\n$" "^$"
               check --against ${WORK}/fuzzy.po)
    # A file without a header, or in another language, is refused; so is a byte-order mark.
    file(WRITE ${WORK}/fr.po "msgid \"\"\nmsgstr \"Language: fr\\n\"\n")
    expect_run(4 "^$" "\nktcat: ${WORK}/fr.po:1: the file's language is 'fr', the module's is 'de'\nktcat: nothing imported: 1 problem\n$" import --format po ${WORK}/fr.po)
    file(WRITE ${WORK}/none.po "msgctxt \"gui\"\nmsgid \"GuiColorGreen\"\nmsgstr \"Grün\"\n")
    expect_run(4 "^$" "\nktcat: ${WORK}/none.po:1: the file has no header entry" import --format po ${WORK}/none.po)
elseif(CASE STREQUAL "xml")
    # The whole export is well-formed XML with one string element per entry.
    execute_process(COMMAND ${KTCAT} export --format xml OUTPUT_FILE ${WORK}/de.xml)
    execute_process(COMMAND ${XMLLINT} --noout ${WORK}/de.xml RESULT_VARIABLE code ERROR_VARIABLE err)
    execute_process(COMMAND ${XMLLINT} --xpath "count(/resources/module/string)" ${WORK}/de.xml OUTPUT_VARIABLE strings
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT code EQUAL 0 OR NOT strings STREQUAL "431")
        message(FATAL_ERROR "xmllint: ${code} ${err}, ${strings} strings")
    endif()
elseif(CASE STREQUAL "closed_pipe")
    # As cat and msgcat end: quietly by SIGPIPE where it is not ignored, otherwise with the write error.
    execute_process(COMMAND ${KTCAT} export --format po COMMAND head -c 1 RESULTS_VARIABLE codes
                    OUTPUT_QUIET ERROR_VARIABLE err)
    list(GET codes 0 code)
    if(NOT (code MATCHES "SIGPIPE|Broken pipe|^141$" AND err STREQUAL "") AND
       NOT (code EQUAL 5 AND err MATCHES "^ktcat: cannot write standard output: Broken pipe\n$"))
        message(FATAL_ERROR "ktcat into a closed pipe: exit ${code}, '${err}'")
    endif()
elseif(CASE STREQUAL "reproducible_export")
    # No date unless SOURCE_DATE_EPOCH gives one: two runs give the same bytes.
    foreach(format po pot)
        execute_process(COMMAND ${KTCAT} export --format ${format} OUTPUT_FILE ${WORK}/first.${format})
        execute_process(COMMAND ${KTCAT} export --format ${format} OUTPUT_FILE ${WORK}/second.${format})
        expect_same_file(${WORK}/first.${format} ${WORK}/second.${format})
        file(READ ${WORK}/first.${format} text)
        if(text MATCHES "Date: [0-9]")
            message(FATAL_ERROR "the ${format} export carries a date:\n${text}")
        endif()
    endforeach()
    set(ENV{SOURCE_DATE_EPOCH} 1700000000)
    expect_run(0 "\n\"POT-Creation-Date: 2023-11-14 22:13\\+0000\\\\n\"\n\"PO-Revision-Date: 2023-11-14 22:13\\+0000\\\\n\"\n" "^$"
               export --format po gui)
    expect_run(0 "\n\"POT-Creation-Date: 2023-11-14 22:13\\+0000\\\\n\"\n\"PO-Revision-Date: YEAR-MO-DA HO:MI\\+ZONE\\\\n\"\n.*#\\. placeholders: {Width}, {Color}, {Style}\n#: ktgui:1\nmsgctxt \"ktgui\"\nmsgid \"BorderDialog_LineSettings_Tooltip\"\nmsgstr \"\"\n$"
               "^$" export --format pot ktgui)
    set(ENV{SOURCE_DATE_EPOCH} -5)
    expect_run(2 "^$" "^ktcat: SOURCE_DATE_EPOCH '-5' is not a number of seconds from 0 to 253402300799\n$" export --format po)
    expect_run(0 "^{" "^$" export --format json gui)  # JSON has no date
else()
    message(FATAL_ERROR "unknown case ${CASE}")
endif()
