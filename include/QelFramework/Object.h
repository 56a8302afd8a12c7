#pragma once
// Run-time class information and the message-map tables. The tables are reached through
// functions, never through data imported from another module, so a class compiled in another
// module (and exported from it) can declare both.
#include <windows.h>
#include <type_traits>

#include "Export.h"

class CObject;
class CCmdTarget;

struct QELFRAMEWORK_API CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (PASCAL* m_pfnCreateObject)();
    CRuntimeClass* (PASCAL* m_pfnGetBaseClass)();

    // Null when the class was not declared creatable.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                      \
public:                                                                  \
    static const CRuntimeClass class##class_name;                        \
    static CRuntimeClass* PASCAL GetThisClass();                         \
    virtual CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* PASCAL CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, schema, create)                  \
    CRuntimeClass* PASCAL class_name::GetThisClass() {                                           \
        return const_cast<CRuntimeClass*>(&class_name::class##class_name);                      \
    }                                                                                            \
    const CRuntimeClass class_name::class##class_name = {#class_name, int(sizeof(class_name)),   \
                                                         schema, create,                         \
                                                         &base_class_name::GetThisClass};        \
    CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                  \
    CObject* PASCAL class_name::CreateObject() { return new class_name; } \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

class QELFRAMEWORK_API CObject {
public:
    static const CRuntimeClass classCObject;
    static CRuntimeClass* PASCAL GetThisClass();
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    BOOL IsKindOf(const CRuntimeClass* rtc) const;

protected:
    CObject() noexcept = default;
    CObject(const CObject&) noexcept = default;
    CObject& operator=(const CObject&) noexcept = default;
};

// One message-map entry: a message (or a range, or a registered message read at dispatch time)
// and an adapter that unpacks the parameters and calls the typed handler. The adapter reports
// whether it handled the message and stores the result.
typedef bool (*AFX_MSG_ADAPTER)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nLastMessage;         // == nMessage for a single message
    const UINT* pnRegistered;  // when set, the message is *pnRegistered
    AFX_MSG_ADAPTER pfnAdapter;  // null ends the map
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();   \
    virtual const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }     \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() {                              \
        typedef theClass ThisClass;                                                       \
        typedef baseClass TheBaseClass;                                                   \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                 \
        {0, 0, nullptr, nullptr}};                                                        \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value,                    \
                      "a message map's base class must be a base of its class");          \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                               \
    }

// The base of everything that has a message map.
class QELFRAMEWORK_API CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() noexcept = default;
    ~CCmdTarget() override;

protected:
    CCmdTarget(const CCmdTarget&) noexcept = default;
    CCmdTarget& operator=(const CCmdTarget&) noexcept = default;

    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // Finds the entry for a message along this class's maps, most derived first.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message);
};
