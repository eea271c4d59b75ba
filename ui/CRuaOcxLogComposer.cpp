#include "ui/CRuaOcxLogComposer.h"

#include <new>

#include "video/BuiltInLogComposer.h"

CRuaOcxLogComposer::CRuaOcxLogComposer() = default;

CRuaOcxLogComposer::~CRuaOcxLogComposer() = default;

bool CRuaOcxLogComposer::Create(QWidget* parent)
{
    setParent(parent);
    setObjectName(QStringLiteral("RuaLogComposer"));
    hide();
    composer.reset(new (std::nothrow) BuiltInLogComposer);
    return composer != nullptr;
}

const uint8_t* CRuaOcxLogComposer::GetLayout()
{
    return composer ? composer->GetLayout() : nullptr;
}

int32_t CRuaOcxLogComposer::ComposeText(const uint8_t* eventData, int32_t dataLength, uint32_t itemBit, char* buffer,
                                        int32_t bufferSize)
{
    return composer ? composer->ComposeText(eventData, dataLength, itemBit, buffer, bufferSize) : 0;
}
