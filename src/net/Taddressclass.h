#pragma once

#include <string>

struct sockaddr;

// Where an address leads, as far as a crawl's reach goes.
enum class TAddressClass { Public, Loopback, Private, LinkLocal, Unusable };

// The class of an address about to be connected (IPv4 or IPv6; any other family is
// unusable).
TAddressClass ClassOfAddress(const sockaddr* address);
// The class of a URL's host as written: an IPv4 address in any form the resolver
// reads (2130706433, 0x7f.1), an IPv6 address with or without brackets, "localhost";
// any other name counts as public.
TAddressClass ClassOfHost(const std::string& host);
// Whether a crawl whose top page is in the class home may connect to target: a public
// address, or one of home's own class; an unusable one never.
bool MayReach(TAddressClass home, TAddressClass target);
// The address as text, for messages.
std::string AddressText(const sockaddr* address);
