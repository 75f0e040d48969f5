#pragma once
// A list's problem as one line the tests can compare, without Qt:
// "FILE:LINE: REASON (DETAIL)", no LINE for the list as a whole, the reason
// in the lists' own (Japanese) words.

#include <string>
#include <string_view>

#include "places/listproblem.h"

std::string DescribeListProblem(std::string_view file, const ListProblem& problem);
