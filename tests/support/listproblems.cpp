#include "tests/support/listproblems.h"

std::string DescribeListProblem(std::string_view file, const ListProblem& problem)
{
    std::string text(file);
    if (problem.line > 0)
        text += ':' + std::to_string(problem.line);
    text += ": ";
    text += ListProblemReason(problem.kind);
    if (!problem.detail.empty())
        text += " (" + problem.detail + ')';
    return text;
}
