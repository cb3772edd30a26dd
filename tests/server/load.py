#!/usr/bin/env python3
"""Conversations in parallel against a running server, each over its own
kept-alive connection, mixing phrases the starter tree answers with phrases
no one said before.

Usage: load.py URL CONVERSATIONS TURNS OUT.json [PREFIX]

Creates the file $LOAD_ANSWERING, when set, once the first turn is
answered. Writes OUT.json: for each conversation (id PREFIX + number) the list of its
turns in the order they were answered: [phrase, status, shown, learned].
A connection that fails (the server killed) ends that conversation's list.
"""
import http.client
import json
import os
import sys
import threading
import urllib.parse

HITS = ["Привет", "Как дела?", "Расскажи анекдот", "Мне скучно", "А ты кто?"]


def phrase(conversation, turn):
    # Three new phrases, then one the starter tree answers.
    if turn % 4 == 3:
        return HITS[(turn // 4) % len(HITS)]
    return "Фраза %s номер %d" % (conversation, turn)


def talk(address, conversation, turns, results):
    connection = http.client.HTTPConnection(address.hostname, address.port, timeout=120)
    record = results[conversation]
    for turn in range(turns):
        text = phrase(conversation, turn)
        body = json.dumps({"text": text})
        try:
            connection.request("POST", "/v1/conversations/%s/messages" % conversation, body,
                               {"Content-Type": "application/json"})
            response = connection.getresponse()
            answer = json.loads(response.read())
        except (OSError, http.client.HTTPException, ValueError):
            return
        record.append([text, response.status, answer.get("shown"), answer.get("learned")])
        if turn == 0 and os.environ.get("LOAD_ANSWERING"):
            open(os.environ["LOAD_ANSWERING"], "a").close()


def main():
    url, conversations, turns, out = sys.argv[1:5]
    prefix = sys.argv[5] if len(sys.argv) > 5 else "c"
    address = urllib.parse.urlsplit(url)
    ids = ["%s%d" % (prefix, i) for i in range(int(conversations))]
    results = {conversation: [] for conversation in ids}
    threads = [threading.Thread(target=talk, args=(address, c, int(turns), results)) for c in ids]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    with open(out, "w", encoding="utf-8") as file:
        json.dump(results, file, ensure_ascii=False)


main()
