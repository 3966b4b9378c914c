#pragma once

#include <cstdint>

#include "engine/core/String.h"

namespace ynx {

// The engine's two hash functions. Both skip the lowest byte, so that keys
// differing only in their first byte (or IDs below 256) share a bucket; the
// bucket order they produce is the order in which tables are walked.
uint32_t HashString(const String& key);
uint32_t HashInteger(int32_t key);

template <typename Key>
struct HashKey;

template <>
struct HashKey<String> {
  static uint32_t Hash(const String& key) { return HashString(key); }
};

template <>
struct HashKey<int32_t> {
  static uint32_t Hash(int32_t key) { return HashInteger(key); }
};

// Chained hash table with a fixed 32 buckets. New keys go to the end of their
// chain; iteration walks buckets 0 to 31, each chain from its head.
template <typename Key, typename Value>
class HashMap {
 public:
  static constexpr uint32_t BUCKET_COUNT = 32;

  struct Node {
    Key key;
    Value value;
    Node* next;
  };

  class Iterator {
   public:
    Iterator(const HashMap* map, Node* node) : map(map), node(node) {}
    Node& operator*() const { return *node; }
    Node* operator->() const { return node; }
    bool operator!=(const Iterator& other) const { return node != other.node; }
    Iterator& operator++() {
      node = node->next != nullptr ? node->next : map->FirstFrom(BucketOf(node->key) + 1);
      return *this;
    }

   private:
    const HashMap* map;
    Node* node;
  };

  HashMap() = default;
  HashMap(const HashMap&) = delete;
  HashMap& operator=(const HashMap&) = delete;
  ~HashMap() { Clear(); }

  // False when an equal key is already present.
  bool Insert(const Key& key, const Value& value) {
    Node** link = &buckets[BucketOf(key)];
    for (; *link != nullptr; link = &(*link)->next) {
      if ((*link)->key == key) return false;
    }
    *link = new Node{key, value, nullptr};
    ++count;
    return true;
  }

  Value* Find(const Key& key) const {
    for (Node* node = buckets[BucketOf(key)]; node != nullptr; node = node->next) {
      if (node->key == key) return &node->value;
    }
    return nullptr;
  }

  void Remove(const Key& key) {
    for (Node** link = &buckets[BucketOf(key)]; *link != nullptr; link = &(*link)->next) {
      if ((*link)->key == key) {
        Node* node = *link;
        *link = node->next;
        --count;
        delete node;
        return;
      }
    }
  }

  void Clear() {
    for (Node*& head : buckets) {
      while (head != nullptr) {
        Node* node = head;
        head = node->next;
        delete node;
      }
    }
    count = 0;
  }

  uint32_t Count() const { return count; }
  Iterator begin() const { return Iterator(this, FirstFrom(0)); }
  Iterator end() const { return Iterator(this, nullptr); }

  static uint32_t BucketOf(const Key& key) { return HashKey<Key>::Hash(key) % BUCKET_COUNT; }

 private:
  Node* FirstFrom(uint32_t bucket) const {
    for (; bucket < BUCKET_COUNT; ++bucket) {
      if (buckets[bucket] != nullptr) return buckets[bucket];
    }
    return nullptr;
  }

  Node* buckets[BUCKET_COUNT] = {};
  uint32_t count = 0;
};

}  // namespace ynx
