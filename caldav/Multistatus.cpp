#include "caldav/Multistatus.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <memory>

#include "caldav/CalDavError.h"

namespace {

constexpr const char* Dav = "DAV:";

struct TDocFree {
    void operator()(xmlDoc* D) const { xmlFreeDoc(D); }
};
using TDoc = std::unique_ptr<xmlDoc, TDocFree>;

TDoc ReadDoc(const std::string& Xml) {
    if (Xml.size() > static_cast<size_t>(INT32_MAX)) return nullptr;
    // No network, no entity expansion, no DTD loading: a reply never reaches anything but itself.
    return TDoc(xmlReadMemory(Xml.data(), static_cast<int>(Xml.size()), "reply.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE));
}

std::string Name(const xmlNode* N) {
    std::string S = "{";
    if (N->ns && N->ns->href) S += reinterpret_cast<const char*>(N->ns->href);
    return S + "}" + reinterpret_cast<const char*>(N->name);
}

bool Is(const xmlNode* N, const char* Local) {
    return N->type == XML_ELEMENT_NODE && N->ns && N->ns->href &&
           xmlStrcmp(N->ns->href, reinterpret_cast<const xmlChar*>(Dav)) == 0 &&
           xmlStrcmp(N->name, reinterpret_cast<const xmlChar*>(Local)) == 0;
}

std::string Text(const xmlNode* N) {
    xmlChar* C = xmlNodeGetContent(N);
    std::string S = C ? reinterpret_cast<const char*>(C) : "";
    xmlFree(C);
    return S;
}

std::string Trimmed(std::string S) {
    size_t B = S.find_first_not_of(" \t\r\n"), E = S.find_last_not_of(" \t\r\n");
    return B == std::string::npos ? std::string() : S.substr(B, E - B + 1);
}

// "HTTP/1.1 404 Not Found" -> 404; 0 when it is not a status line.
long StatusCode(const std::string& Line) {
    std::string S = Trimmed(Line);
    size_t Sp = S.find(' ');
    if (S.compare(0, 5, "HTTP/") != 0 || Sp == std::string::npos) return 0;
    return std::strtol(S.c_str() + Sp + 1, nullptr, 10);
}

void CollectChildren(const xmlNode* N, std::vector<std::string>& Out) {
    for (const xmlNode* C = N->children; C; C = C->next)
        if (C->type == XML_ELEMENT_NODE) {
            Out.push_back(Name(C));
            CollectChildren(C, Out);
        }
}

[[noreturn]] void Malformed(const std::string& Why) {
    throw ECalDavError(ECalDavError::Malformed, "the server's reply is not a valid WebDAV answer: " + Why);
}

}  // namespace

const TDavProperty* TDavResponse::Find(const std::string& Name) const {
    auto It = Props.find(Name);
    return It == Props.end() ? nullptr : &It->second;
}

TMultistatus ParseMultistatus(const std::string& Xml) {
    TDoc Doc = ReadDoc(Xml);
    if (!Doc) Malformed("not well-formed XML");
    const xmlNode* Root = xmlDocGetRootElement(Doc.get());
    if (!Root || !Is(Root, "multistatus")) Malformed("no DAV:multistatus element");
    TMultistatus Out;
    for (const xmlNode* R = Root->children; R; R = R->next) {
        if (Is(R, "sync-token")) Out.SyncToken = Trimmed(Text(R));
        if (!Is(R, "response")) continue;
        TDavResponse Resp;
        bool HasHref = false;
        for (const xmlNode* C = R->children; C; C = C->next) {
            if (Is(C, "href") && !HasHref) {
                Resp.Href = Trimmed(Text(C));
                HasHref = true;
            } else if (Is(C, "status")) {
                Resp.Status = StatusCode(Text(C));
            } else if (Is(C, "propstat")) {
                long Status = 0;
                const xmlNode* Prop = nullptr;
                for (const xmlNode* P = C->children; P; P = P->next) {
                    if (Is(P, "status")) Status = StatusCode(Text(P));
                    if (Is(P, "prop")) Prop = P;
                }
                if (Status < 200 || Status > 299 || !Prop) continue;
                for (const xmlNode* P = Prop->children; P; P = P->next) {
                    if (P->type != XML_ELEMENT_NODE) continue;
                    TDavProperty V;
                    V.Text = Text(P);
                    CollectChildren(P, V.Children);
                    Resp.Props[Name(P)] = std::move(V);
                }
            }
        }
        if (!HasHref || Resp.Href.empty()) Malformed("a response without DAV:href");
        Out.Responses.push_back(std::move(Resp));
    }
    return Out;
}

std::vector<std::string> ParseDavError(const std::string& Xml) {
    std::vector<std::string> Out;
    TDoc Doc = ReadDoc(Xml);
    const xmlNode* Root = Doc ? xmlDocGetRootElement(Doc.get()) : nullptr;
    if (!Root || !Is(Root, "error")) return Out;
    for (const xmlNode* C = Root->children; C; C = C->next)
        if (C->type == XML_ELEMENT_NODE) Out.push_back(Name(C));
    return Out;
}

namespace {

constexpr const char* CalDav = "urn:ietf:params:xml:ns:caldav";

// A request document under construction: DAV: is the default namespace, others get a prefix.
class TBody {
  public:
    explicit TBody(const char* Root, const char* RootNs = Dav) {
        FDoc = xmlNewDoc(BAD_CAST "1.0");
        FRoot = xmlNewDocNode(FDoc, nullptr, BAD_CAST Root, nullptr);
        xmlDocSetRootElement(FDoc, FRoot);
        const bool DavRoot = std::string(RootNs) == Dav;
        FDav = xmlNewNs(FRoot, BAD_CAST Dav, DavRoot ? nullptr : BAD_CAST "D");
        if (DavRoot) {
            xmlSetNs(FRoot, FDav);
        } else {
            xmlSetNs(FRoot, xmlNewNs(FRoot, BAD_CAST RootNs, nullptr));
        }
    }
    ~TBody() { xmlFreeDoc(FDoc); }
    xmlNode* Root() const { return FRoot; }
    xmlNode* Add(xmlNode* Parent, const std::string& Ns, const std::string& Local,
                 const std::string* Text = nullptr) {
        xmlNode* N = xmlNewChild(Parent, NsFor(Ns), BAD_CAST Local.c_str(), nullptr);
        if (Text) xmlNodeAddContent(N, BAD_CAST Text->c_str());
        return N;
    }
    void AddProps(const std::vector<TPropName>& Props) {
        xmlNode* Prop = Add(FRoot, Dav, "prop");
        for (const auto& [Ns, Local] : Props) Add(Prop, Ns, Local);
    }
    std::string Text() {
        xmlChar* Buf = nullptr;
        int Len = 0;
        xmlDocDumpMemoryEnc(FDoc, &Buf, &Len, "UTF-8");
        std::string S(reinterpret_cast<const char*>(Buf), Len);
        xmlFree(Buf);
        return S;
    }

  private:
    xmlNs* NsFor(const std::string& Ns) {
        if (Ns == Dav) return FDav;
        if (xmlNs* Found = xmlSearchNsByHref(FDoc, FRoot, BAD_CAST Ns.c_str())) return Found;
        std::string Prefix = "N" + std::to_string(++FPrefixes);
        return xmlNewNs(FRoot, BAD_CAST Ns.c_str(), BAD_CAST Prefix.c_str());
    }
    xmlDoc* FDoc;
    xmlNode* FRoot;
    xmlNs* FDav;
    int FPrefixes = 0;
};

}  // namespace

std::string PropfindBody(const std::vector<TPropName>& Props) {
    TBody B("propfind");
    B.AddProps(Props);
    return B.Text();
}

std::string SyncCollectionBody(const std::string& SyncToken, const std::vector<TPropName>& Props) {
    TBody B("sync-collection");
    B.Add(B.Root(), Dav, "sync-token", &SyncToken);
    const std::string Level = "1";
    B.Add(B.Root(), Dav, "sync-level", &Level);
    B.AddProps(Props);
    return B.Text();
}

std::string MultigetBody(const std::vector<std::string>& Hrefs, const std::vector<TPropName>& Props) {
    TBody B("calendar-multiget", CalDav);
    B.AddProps(Props);
    for (const auto& H : Hrefs) B.Add(B.Root(), Dav, "href", &H);
    return B.Text();
}
