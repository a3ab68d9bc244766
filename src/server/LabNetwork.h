#pragma once

#include <QString>

// The addresses the administrator names: the lab's network and the teacher's PC, checked before
// anything is written and put in the server's own words, and this PC's address as they see it.
namespace LabNetwork {

// "192.168.1.0/24" for a network written as an address and a mask length; empty otherwise.
QString network(const QString& text);
// One PC's address as "192.168.1.10/32"; empty for anything else.
QString singleHost(const QString& text);
// The address without its mask length.
QString withoutMask(const QString& cidr);

// Russian messages for a network or an address that is none, naming the fix.
QString notANetwork(const QString& text);
QString notAnAddress(const QString& text);

// Whether `cidr` lies beyond this PC's loopback, so that the server must listen to the network.
bool beyondThisPc(const QString& cidr);

// This PC's address inside `cidr` (one of the lab's own, or the interface that reaches that PC);
// empty when it has none.
QString addressToward(const QString& cidr);

} // namespace LabNetwork
