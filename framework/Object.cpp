// Run-time class information and message-map lookup.
#include "State.h"

CObject* CRuntimeClass::CreateObject() const {
    if (!m_pfnCreateObject) return nullptr;
    try {
        return m_pfnCreateObject();
    } catch (...) {
        return nullptr;
    }
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pfnGetBaseClass ? c->m_pfnGetBaseClass() : nullptr)
        if (c == base) return TRUE;
    return FALSE;
}

const CRuntimeClass CObject::classCObject = {"CObject", int(sizeof(CObject)), 0xFFFF, nullptr, nullptr};
CRuntimeClass* PASCAL CObject::GetThisClass() { return const_cast<CRuntimeClass*>(&classCObject); }
CRuntimeClass* CObject::GetRuntimeClass() const { return GetThisClass(); }
CObject::~CObject() = default;
BOOL CObject::IsKindOf(const CRuntimeClass* rtc) const { return GetRuntimeClass()->IsDerivedFrom(rtc); }

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::~CCmdTarget() = default;

const AFX_MSGMAP* PASCAL CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* map, UINT message) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfnAdapter; ++e) {
            if (e->pnRegistered) {
                if (*e->pnRegistered != 0 && *e->pnRegistered == message) return e;
            } else if (message >= e->nMessage && message <= e->nLastMessage) {
                return e;
            }
        }
    }
    return nullptr;
}
