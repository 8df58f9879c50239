// The program's windows are single program-wide instances that load on
// first use and unload when closed. The registry keeps them: get<T>()
// creates (and so loads) the window the first time it is asked for;
// unload<T>() runs the window's unload handling at once and destroys it
// when control is back in the event loop, so a window may unload itself from
// its own click handler. Nothing keeps a raw pointer to a window: the
// registry holds a QPointer, and a window deleted any other way (its MDI
// frame closed, for example) simply reads as not loaded.
//
// A window that wants unload handling (clearing its open flag) derives from
// vkz::Form as well as from its Qt widget class and implements Form_Unload.
// Its close box should call FormRegistry::unload(this) (see closeEvent in
// Form's comment) so both ways of closing run the same handling.
#pragma once
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <map>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace vkz {

class Form {
 public:
  virtual ~Form() = default;
  // The window's unload handling (clear its open flag ...). Runs once.
  virtual void Form_Unload() {}

 private:
  friend class FormRegistry;
  bool unloaded_ = false;
};

class FormRegistry {
 public:
  // The loaded instance of T, creating (loading) it when none is loaded.
  // T is constructed with no parent; its constructor is its load.
  template <class T>
  static T* get() {
    if (T* t = find<T>()) return t;
    T* t = new T();
    put(typeid(T), t);
    return t;
  }
  // The loaded instance of T, or nullptr.
  template <class T>
  static T* find() {
    return qobject_cast<T*>(lookup(typeid(T)));
  }
  template <class T>
  static bool loaded() {
    return find<T>() != nullptr;
  }
  // Unloads T when loaded; returns whether it was.
  template <class T>
  static bool unload() {
    QWidget* w = lookup(typeid(T));
    if (!w) return false;
    unload(w);
    return true;
  }
  // Unloads a window: runs its Form_Unload (once), forgets it, hides it and
  // its MDI frame and deletes both later. Safe to call from the window's own
  // handlers and more than once.
  static void unload(QWidget* w) {
    if (!w) return;
    auto& m = forms();
    for (auto it = m.begin(); it != m.end();) {
      if (it->second.data() == w || it->second.isNull())
        it = m.erase(it);
      else
        ++it;
    }
    if (auto* f = dynamic_cast<Form*>(w)) {
      if (!f->unloaded_) {
        f->unloaded_ = true;
        f->Form_Unload();
      }
    }
    QWidget* outer = w;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget())) outer = sub;
    outer->hide();
    outer->deleteLater();
  }

  // Unloads the loaded window whose class is named `className` (without
  // its namespace: "KalvoxFrm"), for closers that do not see the class.
  // Returns whether one was loaded.
  static bool unloadByClassName(const char* className) {
    QWidget* w = findByClassName(className);
    if (!w) return false;
    unload(w);
    return true;
  }
  // The loaded window whose class is named `className`, or nullptr.
  static QWidget* findByClassName(const char* className) {
    const QByteArray want(className);
    for (auto& [t, p] : forms()) {
      if (!p) continue;
      QByteArray name(p->metaObject()->className());
      const int colon = name.lastIndexOf("::");
      if (colon >= 0) name = name.mid(colon + 2);
      if (name == want) return p.data();
    }
    return nullptr;
  }

  // Registers a window created elsewhere (e.g. the main window) under T.
  template <class T>
  static void adopt(T* w) {
    put(typeid(T), w);
  }

  // Unloads every registered window (tests, shut-down).
  static void unloadAll() {
    std::vector<QWidget*> all;
    for (auto& [t, p] : forms())
      if (p) all.push_back(p.data());
    for (QWidget* w : all) unload(w);
  }

 private:
  static std::map<std::type_index, QPointer<QWidget>>& forms() {
    static std::map<std::type_index, QPointer<QWidget>> m;
    return m;
  }
  static QWidget* lookup(std::type_index t) {
    auto& m = forms();
    auto it = m.find(t);
    if (it == m.end()) return nullptr;
    if (it->second.isNull()) {
      m.erase(it);
      return nullptr;
    }
    return it->second.data();
  }
  static void put(std::type_index t, QWidget* w) { forms()[t] = w; }
};

}  // namespace vkz
