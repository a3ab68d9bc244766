#include "LabNetwork.h"

#include <QHostAddress>
#include <QNetworkInterface>

namespace {

QString cidr(const QHostAddress& address, int length) {
    return address.toString() + u'/' + QString::number(length);
}

} // namespace

namespace LabNetwork {

QString network(const QString& text) {
    // A lone address would let in one PC, which no lab is.
    if (!text.contains(u'/'))
        return {};
    const auto [address, length] = QHostAddress::parseSubnet(text);
    return address.isNull() ? QString() : cidr(address, length);
}

QString singleHost(const QString& text) {
    const QHostAddress address(text);
    // Only the usual form: "10.1" would be read as 10.0.0.1.
    if (address.isNull() || address.toString().compare(text, Qt::CaseInsensitive) != 0)
        return {};
    return cidr(address, address.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32);
}

QString withoutMask(const QString& cidr) {
    return cidr.section(u'/', 0, 0);
}

QString notANetwork(const QString& text) {
    return QStringLiteral("Сеть класса «%1» указана неверно: нужен адрес сети и длина маски "
                          "(до 32, для IPv6 до 128), например --lab 192.168.1.0/24. Ничего не "
                          "изменено.")
        .arg(text);
}

QString notAnAddress(const QString& text) {
    return QStringLiteral("Адрес компьютера учителя «%1» указан неверно: нужен адрес IP одного "
                          "компьютера, например --teacher-pc 192.168.1.10. Ничего не изменено.")
        .arg(text);
}

bool beyondThisPc(const QString& cidr) {
    return !cidr.isEmpty() && !QHostAddress::parseSubnet(cidr).first.isLoopback();
}

QString addressToward(const QString& cidr) {
    const auto net = QHostAddress::parseSubnet(cidr);
    for (const QNetworkInterface& card : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : card.addressEntries()) {
            const QHostAddress ip = entry.ip();
            const bool inside = ip.isInSubnet(net);
            const bool facing =
                entry.prefixLength() >= 0 && net.first.isInSubnet(ip, entry.prefixLength());
            if (inside || facing)
                return ip.toString();
        }
    }
    return {};
}

} // namespace LabNetwork
