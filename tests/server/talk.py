#!/usr/bin/env python3
"""Says each line of standard input in one conversation of a running server,
over one kept-alive connection, as `besedka chat` would be told them.

Usage: talk.py URL CONVERSATION STATUSES

Writes each answered turn's pane lines (its trace, the phrase shown, the
reply) to standard output, "ENDED" after a farewell, and the status of every
turn, one a line, to the file STATUSES.
"""
import http.client
import json
import sys
import urllib.parse


def main():
    url, conversation, statuses_path = sys.argv[1:4]
    address = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(address.hostname, address.port, timeout=60)
    statuses = []
    for phrase in sys.stdin.read().splitlines():
        body = json.dumps({"text": phrase, "trace": True})
        connection.request("POST", "/v1/conversations/%s/messages" % conversation, body,
                           {"Content-Type": "application/json"})
        response = connection.getresponse()
        turn = json.loads(response.read())
        statuses.append(str(response.status))
        if response.status == 200:
            print("\n".join(turn["trace"] + [turn["shown"], turn["reply"]]))
            if turn["ended"]:
                print("ENDED")
    with open(statuses_path, "w") as out:
        out.write("\n".join(statuses) + "\n")


main()
