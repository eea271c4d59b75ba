// The tree's layer order and the include rules that keep it: which folder may include which, and
// which folders may include Qt or SDL. The README's "Layout" section states the same order.
#pragma once

#include <string>
#include <vector>

// One include that breaks a rule: the file (relative to the tree's top), its line, the rule.
struct LayerViolation {
    std::string file;
    int line = 0;
    std::string rule;
};

// Reads every C++ source under `root` (leaving out build trees and hidden folders) and checks
// each project include (`#include "folder/..."`) and each Qt or SDL header against the rules.
// Violations come sorted by file and line; an unreadable tree gives one violation saying so.
std::vector<LayerViolation> CheckIncludeLayers(const std::string& root);

// "file:line: rule", one a line.
std::string DescribeViolations(const std::vector<LayerViolation>& violations);
