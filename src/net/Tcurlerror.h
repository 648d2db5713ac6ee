#pragma once

// What a libcurl failure means to someone reading the crawl log, in Japanese;
// nullptr for a code with no plainer words than libcurl's own.
const char* CurlErrorMeaning(int code);
