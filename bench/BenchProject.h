#pragma once

#include <chrono>
#include <string>

class TProjectDb;

// The benchmark project: entries one by one as the crawl stores them, each later
// listed in two of twenty categories and given a comment.
constexpr int BenchEntryCount = 100000;
constexpr int BenchCategoryCount = 20;

std::string BenchEntryUrl(int i);
void InsertBenchEntries(TProjectDb& db, int count);
void AddBenchCategoriesAndComments(TProjectDb& db, int count);

double SecondsSince(std::chrono::steady_clock::time_point start);
void PrintFigure(const char* name, double value, const char* unit);
double PeakRssMb();
