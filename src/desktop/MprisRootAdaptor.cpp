#include "MprisRootAdaptor.h"

#include "MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {
}

void MprisRootAdaptor::Raise() {
    emit m_service->raiseRequested();
}
