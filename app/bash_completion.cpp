// The bash completion script, written by walking CLI11's option list.
#include "bash_completion.h"

#include <stdexcept>

namespace zorvan {

namespace {

// Names and values go into the script between single quotes or as case patterns, so they are held to the
// characters an option table uses; anything else would be a fault in the table, found when the script is made.
std::string Safe(const std::string& word) {
    for (const char c : word) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.' || c == '=' || c == '*' || c == '[' || c == ']';
        if (!plain) throw std::logic_error("a completion word with the character '" + std::string(1, c) + "': " + word);
    }
    return word;
}

std::string Joined(const std::vector<std::string>& words, const std::string& between) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : between) + Safe(word);
    return text;
}

// The shell code that fills COMPREPLY with the values for the word in "$2".
std::string Filling(const ValueCompletion& value) {
    switch (value.kind) {
        case ValueCompletion::Kind::Files: return "_zorvan_complete_files '" + Safe(value.pattern) + "' \"$2\"";
        case ValueCompletion::Kind::Folders: return "_zorvan_complete_folders \"$2\"";
        case ValueCompletion::Kind::Words: return "COMPREPLY=($(compgen -W '" + Joined(value.words, " ") + "' -- \"$2\"))";
    }
    return "COMPREPLY=()";
}

std::string FunctionName(const std::string& command) {
    std::string name = "_";
    for (const char c : command) name += (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ? c : '_';
    return name;
}

}  // namespace

std::string BashCompletion(const CLI::App& app, const CompletionTable& values, const std::string& command) {
    std::vector<std::string> offered;    // every name, and "--name=" where the value comes only after "="
    std::vector<std::string> separate;   // names whose value may be the next word
    std::string valueCases;              // per option with a completed value: its names and the filling
    std::string positional = "COMPREPLY=()";
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_group().empty()) continue;  // hidden
        const auto value = values.find(option);
        if (!option->nonpositional()) {
            if (value != values.end()) positional = Filling(value->second);
            continue;
        }
        std::vector<std::string> names;
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        const bool takesValue = option->get_items_expected_max() > 0;
        const bool afterEqualsOnly = !takesValue && !option->get_fnames().empty();
        for (const std::string& name : names) {
            offered.push_back(name);
            if (afterEqualsOnly && name.starts_with("--")) offered.push_back(name + "=");
            if (takesValue) separate.push_back(name);
        }
        if (value != values.end() && (takesValue || afterEqualsOnly)) {
            valueCases += "        " + Joined(names, "|") + ")\n            " + Filling(value->second) + " ;;\n";
        }
    }

    const std::string function = FunctionName(command);
    std::string script;
    script += "# bash completion for " + command + ", made from its own option table by `" + command +
              " --completion=bash`.\n\n";
    script +=
        "# _zorvan_complete_files PATTERN WORD: folders, and the files that match PATTERN (any file when empty).\n"
        "_zorvan_complete_files()\n"
        "{\n"
        "    local IFS=$'\\n'\n"
        "    if [[ -n $1 ]]; then\n"
        "        COMPREPLY=($(compgen -d -- \"$2\") $(compgen -f -X \"!$1\" -- \"$2\"))\n"
        "    else\n"
        "        COMPREPLY=($(compgen -f -- \"$2\"))\n"
        "    fi\n"
        "}\n\n"
        "_zorvan_complete_folders()\n"
        "{\n"
        "    local IFS=$'\\n'\n"
        "    COMPREPLY=($(compgen -d -- \"$1\"))\n"
        "}\n\n";
    script += "# " + function + "_value OPTION WORD: the values OPTION takes that start with WORD.\n";
    script += function + "_value()\n{\n    case $1 in\n" + valueCases + "        *)\n            COMPREPLY=() ;;\n    esac\n}\n\n";
    script += function + "()\n{\n";
    script +=
        "    local cur=${COMP_WORDS[COMP_CWORD]} prev= option= value= prefix=\n"
        "    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
        "    value=$cur\n"
        "    # A value after \"=\": bash makes \"=\" a word of its own (\"--summary\" \"=\" \"js\") unless \"=\" is not in\n"
        "    # COMP_WORDBREAKS, when the word is \"--summary=js\".\n"
        "    if [[ $cur == = && $prev == -* ]]; then\n"
        "        option=$prev value=\n"
        "    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
        "        option=${COMP_WORDS[COMP_CWORD - 2]}\n"
        "    elif [[ $cur == --*=* ]]; then\n"
        "        option=${cur%%=*} value=${cur#*=} prefix=${cur%%=*}=\n"
        "    else\n"
        "        case $prev in\n";
    if (!separate.empty()) script += "            " + Joined(separate, "|") + ") option=$prev ;;\n";
    script +=
        "        esac\n"
        "    fi\n"
        "    if [[ -n $option ]]; then\n"
        "        " + function + "_value \"$option\" \"$value\"\n"
        "        [[ -n $prefix ]] && COMPREPLY=(\"${COMPREPLY[@]/#/$prefix}\")\n"
        "        return 0\n"
        "    fi\n"
        "    if [[ $cur == -* ]]; then\n"
        "        COMPREPLY=($(compgen -W '" + Joined(offered, " ") + "' -- \"$cur\"))\n"
        "        [[ ${#COMPREPLY[@]} == 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null\n"
        "        return 0\n"
        "    fi\n"
        "    set -- \"\" \"$cur\"\n"
        "    " + positional + "\n"
        "    return 0\n"
        "}\n\n";
    script += "complete -o filenames -F " + function + " " + command + "\n";
    return script;
}

}  // namespace zorvan
