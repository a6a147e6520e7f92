#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

// WebDAV multistatus replies (RFC 4918 §13), read with libxml2. Property names are written
// "{namespace}local", e.g. "{DAV:}getetag".
struct TDavProperty {
    std::string Text;                   // text content, untrimmed (calendar data keeps its bytes)
    std::vector<std::string> Children;  // names of element descendants (resourcetype, report sets)
};

struct TDavResponse {
    std::string Href;
    long Status = 0;  // the response's own status (a removed member in sync-collection: 404); 0 when absent
    std::map<std::string, TDavProperty> Props;  // only properties reported with a 2xx status
    const TDavProperty* Find(const std::string& Name) const;
};

struct TMultistatus {
    std::vector<TDavResponse> Responses;
    std::string SyncToken;  // the multistatus' own sync-token (RFC 6578), empty when absent
};

// Raises ECalDavError(Malformed) when the text is not a well-formed DAV:multistatus.
TMultistatus ParseMultistatus(const std::string& Xml);

// The precondition names inside a DAV:error body ("{DAV:}valid-sync-token"); empty when the body
// is not one.
std::vector<std::string> ParseDavError(const std::string& Xml);

// Request bodies, written by libxml2. A property is {namespace, local name}.
using TPropName = std::pair<std::string, std::string>;
std::string PropfindBody(const std::vector<TPropName>& Props);
std::string SyncCollectionBody(const std::string& SyncToken, const std::vector<TPropName>& Props);
std::string MultigetBody(const std::vector<std::string>& Hrefs, const std::vector<TPropName>& Props);
